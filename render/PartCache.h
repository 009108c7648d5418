#pragma once

#include "document/Composite.h"
#include "document/FaceParts.h"

#include <QString>
#include <QStringList>

namespace BatchRender {

// The part pictures of a parts library for every face of a batch, from any
// thread. Each picture is decoded once and shared while its file stays as it
// was, through the program's one picture cache.
class PartCache
{
public:
    explicit PartCache(const QString &appDir) : m_appDir(appDir) {}

    // The four pictures of a face, as Composite::loadLayers reads them. An
    // entry that names a part but gives no picture is added to one of two
    // lists, by what kept its picture out:
    //  - unreadable: the part itself is no picture: there is no such file
    //    (or it lies outside the library), it is a folder, a FIFO or a
    //    device, or its contents are no picture format the reader knows.
    //    The face is whole without it, as the program shows it.
    //  - failed: a picture that could not be had this time, the entry
    //    followed by the reason: the file exists but the system refused to
    //    open it (too many open files, no memory, an I/O error), or the
    //    reader knows its format and size but gave no picture (its memory
    //    could not be had, the file was cut short or is damaged, or it is
    //    larger than the reader's limit). A face drawn without it would not
    //    be the face its file describes.
    Composite::Layers layers(const FaceParts &partFiles, QStringList *unreadable = nullptr,
                             QStringList *failed = nullptr) const;

private:
    // Why the part at entry gave no picture: empty when it is no picture at
    // all, otherwise the reason it failed.
    QString failure(const QString &entry) const;

    const QString m_appDir;
};

} // namespace BatchRender
