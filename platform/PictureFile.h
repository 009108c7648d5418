#pragma once

#include <QImage>
#include <QString>

namespace PictureFile {

// Reads a picture from a regular file; a null image for anything else or for
// a file that holds no picture the program can read. A FIFO or a device is
// never opened for reading, so no such file, named in a face file or put
// into a parts folder, can stop the program.
QImage read(const QString &path);

} // namespace PictureFile
