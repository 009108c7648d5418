#pragma once

#include "platform/AtomicFile.h"

#include <QString>

// How the program words what went wrong with a file of the user's.
namespace FileMessages {

// Said of a path that names a folder, a device or a FIFO where a file
// belongs.
QString notRegularFile();

// Why a write failed: the system's reason, or notRegularFile().
QString reason(const AtomicFile::Result &result);

} // namespace FileMessages
