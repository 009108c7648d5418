#include "platform/PictureFile.h"

#include "platform/RegularFile.h"

#include <QFile>
#include <QImageReader>

namespace PictureFile {

QImage read(const QString &path)
{
    QFile file;
    if (!RegularFile::open(path, file).ok())
        return {};
    return read(file);
}

QImage read(QFile &file)
{
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    // Some decoders (BMP) stop at the end of a file cut short and return the
    // picture with the rows they never reached as the memory left them, which
    // would show the program's own memory. Given a cleared picture of the
    // size and format they announce, they decode into it instead, and what
    // the file lacks stays zero: black, or transparent.
    QImage image;
    const QSize size = reader.size();
    const QImage::Format format = reader.imageFormat();
    if (size.isValid() && format != QImage::Format_Invalid &&
        qint64(size.width()) * size.height() * QImage::toPixelFormat(format).bitsPerPixel() / 8 <=
            qint64(QImageReader::allocationLimit()) << 20) {
        image = QImage(size, format);
        image.fill(0);
    }
    if (!reader.read(&image))
        return {};
    return image;
}

} // namespace PictureFile
