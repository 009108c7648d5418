#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// Reading a file of the user's only when it is a regular file. The file is
// opened without waiting, so that a FIFO without a writer cannot stop the
// program, and checked on the open file itself, so nothing can be swapped in
// between the check and the read.
namespace RegularFile {

struct Result
{
    enum class Error {
        None,
        Folder,         // the path names a folder
        NotRegularFile, // a device, a FIFO, a socket
        System,         // the system refused; reason says why
    };
    Error error = Error::None;
    QString reason;   // the system's own words for a System error
    QByteArray bytes; // what head() read

    bool ok() const { return error == Error::None; }
};

// Opens path for reading into file, when it is a regular file.
Result open(const QString &path, QFile &file);

// At most maxBytes from the start of the regular file at path.
Result head(const QString &path, qint64 maxBytes);

} // namespace RegularFile
