#pragma once

#include "platform/AtomicFile.h"
#include "platform/RegularFile.h"

#include <QString>

// How the program words what went wrong with a file of the user's.
namespace FileMessages {

// Said of a path that names a folder, a device or a FIFO where a file
// belongs.
QString notRegularFile();

// Why a write failed: the system's reason, or what the program would not
// write over.
QString reason(const AtomicFile::Result &result);

// The message that a file could not be read: its name, a lone CR, and why
// (a folder, not a regular file, or the system's reason).
QString cannotRead(const QString &path, const RegularFile::Result &result);

} // namespace FileMessages
