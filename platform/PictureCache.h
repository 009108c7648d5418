#pragma once

#include <QImage>
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
//
// Memory is bounded by a byte budget and a number of pictures. Over the
// budget, the largest pictures go first; over the number, the ones used least
// recently. One object may be used from several threads at once; a file
// asked for by several threads at once is decoded by one of them.
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

    // The cache every reader of part pictures in the program shares.
    static PictureCache &shared();

private:
    struct Private;
    const std::unique_ptr<Private> d;
};
