#pragma once

#include "document/FaceFile.h"

#include <QString>

// The words the window shows for a face file it could not read or write. The
// reader and writer give reasons; only the window turns them into sentences.
namespace FaceFile {

// The message for a file read() refused: one and the same for every reason,
// since whatever is wrong, the file is not one this program can read.
QString readRefusalMessage(const Reason &reason);

// The message for a face write() could not write, naming the text at fault.
QString writeRefusalMessage(const Reason &reason);

} // namespace FaceFile
