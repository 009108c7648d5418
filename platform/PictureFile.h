#pragma once

#include <QImage>
#include <QString>

class QFile;

namespace PictureFile {

// Reads a picture from a regular file; a null image for anything else or for
// a file that holds no picture the program can read. A FIFO or a device is
// never opened for reading, so no such file, named in a face file or put
// into a parts folder, can stop the program.
QImage read(const QString &path);

// Decodes the picture of a file that read() or its caller has opened as a
// regular file; the format is taken from the contents, not the name.
QImage read(QFile &file);

} // namespace PictureFile
