#include "platform/AtomicFile.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

namespace AtomicFile {

Result write(const QString &path, const QByteArray &bytes)
{
    // The file is replaced by renaming, which would just as well put a
    // regular file in place of a device node or a FIFO; those are refused.
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return {Result::Error::NotRegularFile, {}};

    QSaveFile file(path);
    // Unbuffered, so that a write the disk refuses fails here, where it can
    // still be seen: a buffered write that fails only while committing still
    // renames the incomplete file over the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {Result::Error::System, file.errorString()};
    if (file.write(bytes) != bytes.size()) {
        // The reason is taken at once; after cancelling it reads "Unknown error".
        const QString reason = file.errorString();
        file.cancelWriting();
        return {Result::Error::System, reason};
    }
    if (!file.commit())
        return {Result::Error::System, file.errorString()};
    return {};
}

} // namespace AtomicFile
