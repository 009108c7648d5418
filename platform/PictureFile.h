#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

#include <memory>

class QFile;
class ScalablePicture;

namespace PictureFile {

// An SVG picture names its own size, which may be anything; its size in
// logical pixels is at most this on its longer side, in its proportions,
// which is more than any box of the face takes. It is drawn at that size
// times the density of the target (ScalablePicture's limits). An SVG that
// would read other files (an <image> or a <use> naming one, a style sheet
// from elsewhere), that is compressed, larger than a megabyte, or whose
// reused parts would make its drawing grow beyond what a part takes, is no
// picture the program reads.
constexpr int ScalableSide = 256;

// What a file holds: a picture of pixels, or a drawing (SVG) to be drawn at
// the size a target needs. At most one of the two.
struct Picture
{
    QImage image;
    std::shared_ptr<const ScalablePicture> drawing;

    bool isNull() const { return image.isNull() && !drawing; }
};

// The most pixels decode() decodes a picture of: a photo of 64 megapixels.
constexpr qint64 MaxDecodedPixels = qint64(64) << 20;

// Reads a picture from a regular file; a null image for anything else or for
// a file that holds no picture the program can read. A FIFO or a device is
// never opened for reading, so no such file, named in a face file or put
// into a parts folder, can stop the program.
QImage read(const QString &path);

// Decodes the picture of a file that read() or its caller has opened as a
// regular file; the format is taken from the contents, not the name. An SVG
// comes drawn at its own size.
QImage read(QFile &file);

// The same, with an SVG kept as the drawing it is, not yet drawn.
Picture load(QFile &file);

// Decodes the picture that bytes hold, only when they start as one of formats
// does ("png", "jpeg", "gif", "bmp", "tiff", "webp"; no other decoder ever
// sees them) and its size, read before decoding, is at most
// MaxDecodedPixels. A picture larger than largestSide on either side comes
// smaller, in its proportions, to fit it.
QImage decode(const QByteArray &bytes, const QList<QByteArray> &formats, int largestSide);

} // namespace PictureFile
