#pragma once

#include <QByteArray>
#include <QString>

// The one way the program writes a file of the user's: the new content goes
// into a file beside the old one, which is renamed over the old one only
// once every byte is on the disk. A write that fails for any reason (a full
// disk, a missing folder) leaves the old file exactly as it was.
//
// What the path may name:
//   nothing yet           the file is created;
//   a regular file        it is replaced, keeping its mode, owner and group;
//                         when those cannot be kept (a file of another user),
//                         it is left alone;
//   an empty regular file it is written in place, so that a program holding
//                         it open (a file manager's thumbnail service waiting
//                         for its picture) reads what was written; a failed
//                         write leaves it empty again;
//   a symbolic link       the file it leads to is replaced, as above, only
//                         when the link and that file are both the user's
//                         own; the link stays. A link of someone else's, a
//                         link to someone else's file and a link that leads
//                         nowhere are left alone: a link put in place of a
//                         file could otherwise turn a save into a write of
//                         any file the user may write, /etc/shadow for root;
//   anything else         (a folder, a device, a FIFO) it is left alone.
// The write itself never follows a link: the new file is renamed into the
// folder of the file it replaces, which replaces whatever name stands there
// by then.
namespace AtomicFile {

struct Result
{
    enum class Error {
        None,
        NotRegularFile, // the path names a folder, a device, a FIFO...: never replaced
        Link,           // a link the program does not write through
        OthersFile,     // a file whose owner or group a write could not keep
        System,         // the system refused; reason says why
    };
    Error error = Error::None;
    QString reason; // the system's own words for a System error

    bool ok() const { return error == Error::None; }
};

// Replaces the file at path by bytes, or creates it, under the rules above.
Result write(const QString &path, const QByteArray &bytes);

// The pieces of write() for a writer of its own (many files made durable
// together) that keeps the same rules.
//
// Where a new file for a path goes: the name to rename it to (the path, or
// the file its links lead to) and what stands there now.
struct Target
{
    QByteArray path; // encoded for the system
    bool exists = false;
    quint32 mode = 0; // of what exists: its permission bits
    quint32 owner = 0;
    quint32 group = 0;
};
// The target of a write of path, or the refusal of the rules above (a link
// the program does not write through, a folder, a device...).
Result target(const QString &path, Target *target);
// Writes every byte to fd: 0, or the system's error number (a disk that
// fills up half-way gives a short write first and the reason only at the
// next one).
int writeAll(int fd, const QByteArray &bytes);
// Gives the new file open at fd the mode, owner and group of the file it is
// to replace; OthersFile when they cannot be kept.
Result keepIdentity(int fd, const Target &target);

} // namespace AtomicFile
