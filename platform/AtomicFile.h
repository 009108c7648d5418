#pragma once

#include <QByteArray>
#include <QString>

// The one way the program writes a file of the user's: the new content goes
// into a file beside the old one, which is renamed over the old one only
// once every byte is on the disk. A write that fails for any reason (a full
// disk, a missing folder) leaves the old file exactly as it was.
namespace AtomicFile {

struct Result
{
    enum class Error {
        None,
        NotRegularFile, // the path names a folder, a device, a FIFO...: never replaced
        System,         // the system refused; reason says why
    };
    Error error = Error::None;
    QString reason; // the system's own words for a System error

    bool ok() const { return error == Error::None; }
};

// Replaces the file at path by bytes, or creates it. A path that exists must
// be a regular file or a link to one (the link's target is then replaced).
Result write(const QString &path, const QByteArray &bytes);

} // namespace AtomicFile
