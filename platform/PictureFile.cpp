#include "platform/PictureFile.h"

#include "platform/RegularFile.h"

#include <QFile>
#include <QImageReader>

#include <cstdlib>

namespace PictureFile {

namespace {

// Some decoders (BMP) stop at the end of a file cut short and return the
// picture with the rows they never reached as the memory left them, which
// would show the program's own memory. Given a cleared picture of the size
// and format they announce, they decode into it instead, and what the file
// lacks stays zero: black, or transparent. Within the decoder's allocation
// limit only; the memory comes from calloc, so a large picture gets fresh
// pages that are zero already rather than a pass to clear them.
QImage clearedPicture(const QImageReader &reader)
{
    const QSize size = reader.size();
    const QImage::Format format = reader.imageFormat();
    if (size.isEmpty() || format == QImage::Format_Invalid)
        return {};
    const qint64 bytesPerLine =
        (qint64(size.width()) * QImage::toPixelFormat(format).bitsPerPixel() + 31) / 32 * 4;
    const qint64 bytes = bytesPerLine * size.height();
    // Counted at four bytes a pixel whatever the file's depth, as the decoder
    // counts it when it makes the picture itself: every picture is drawn from
    // 32 bits a pixel, so a 1-bit bomb of 20,000 pixels square costs what its
    // size says, not its depth.
    const int limit = QImageReader::allocationLimit();
    if (limit > 0 && qint64(size.width()) * size.height() * 4 > qint64(limit) << 20)
        return {};
    void *data = std::calloc(size_t(bytes), 1);
    if (!data)
        return {};
    return QImage(
        static_cast<uchar *>(data), size.width(), size.height(), bytesPerLine, format,
        [](void *memory) { std::free(memory); }, data);
}

} // namespace

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
    QImage image = clearedPicture(reader);
    if (!reader.read(&image))
        return {};
    return image;
}

} // namespace PictureFile
