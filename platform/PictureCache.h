#pragma once

#include "platform/PictureFile.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

// Pictures decoded from files, kept while their files stay as they were, so
// that drawing the same parts again does not decode them again. A file is
// still read afresh every time in the sense that matters: what is returned is
// the picture the file holds now. Every read opens the file and compares what
// the system says of it (device, inode, size and modification time to the
// nanosecond) with what it said when the kept picture was decoded; any
// difference, a file replaced by another one or rewritten in place, decodes
// it again, and a file that is gone or is no regular file gives a null image.
//
// Pictures with transparency are kept with their alpha premultiplied, the
// form painting needs, so that it is converted once and not at every paint.
// A drawing (SVG) is kept as the drawing read from its file, and beside it
// each picture drawn of it at a size a target asked for: the window at its
// screen's density, a card at its printer's, a picture at its size.
//
// Memory is bounded by a byte budget and a number of pictures (a drawing and
// each picture drawn of it count one each). Over the budget, the largest
// pictures go first; over the number, the ones used least recently; a
// drawing's pictures go with it. One object may be used from several threads
// at once; a file asked for by several threads at once is decoded by one of
// them.
class PictureCache
{
public:
    // Room for one picture at the decoder's own limit (128 MiB) beside the
    // ordinary parts of a face and of every picker.
    static constexpr qsizetype DefaultBudget = qsizetype(160) << 20;
    // The four layers and the samples of the open pickers, with room to step
    // back and forth through a folder or draw faces from a whole library.
    static constexpr int DefaultCount = 256;

    explicit PictureCache(qsizetype budget = DefaultBudget, int count = DefaultCount);
    ~PictureCache();
    PictureCache(const PictureCache &) = delete;
    PictureCache &operator=(const PictureCache &) = delete;

    // The picture in the regular file at path, as PictureFile::read decodes
    // it (premultiplied when it has alpha); a null image for anything else.
    QImage read(const QString &path);

    // The same, with a drawing left as the drawing it is (PictureFile::load).
    PictureFile::Picture load(const QString &path);

    // The drawing, which load() gave for path, drawn at pixels: drawn once for
    // each size and kept while the file at path is still the one it was read
    // from, as the last load() found it.
    QImage drawn(const QString &path, const std::shared_ptr<const ScalablePicture> &drawing,
                 QSize pixels);

    // The cache every reader of part pictures in the program shares.
    static PictureCache &shared();

private:
    struct Private;
    const std::unique_ptr<Private> d;
};
