#include "render/FacePicture.h"

#include "document/FaceCode.h"
#include "document/FaceFile.h"

#include <QPainter>

#include <cmath>

using namespace Qt::StringLiterals;

namespace BatchRender {

std::optional<Format> formatFromSuffix(const QString &suffix)
{
    const QString word = suffix.toLower();
    if (word == u"bmp")
        return Format::Bmp;
    if (word == u"gif")
        return Format::Gif;
    if (word == u"png")
        return Format::Png;
    if (word == u"jpg" || word == u"jpeg")
        return Format::Jpeg;
    return std::nullopt;
}

QString suffix(Format format)
{
    switch (format) {
    case Format::Bmp:
        return u"bmp"_s;
    case Format::Gif:
        return u"gif"_s;
    case Format::Png:
        return u"png"_s;
    case Format::Jpeg:
        break;
    }
    return u"jpg"_s;
}

QImage picture(const Composite::Layers &layers, int longerSide)
{
    if (longerSide <= 0 || longerSide == Composite::SurfaceHeight)
        return Composite::picture(layers);
    // The surface is taller than wide: its height is the longer side.
    const qreal scale = qreal(longerSide) / Composite::SurfaceHeight;
    const int width = qMax(1, int(std::lround(Composite::SurfaceWidth * scale)));
    QImage image(width, longerSide, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.scale(qreal(width) / Composite::SurfaceWidth, scale);
    Composite::paint(painter, layers);
    return image;
}

PictureEncoders::Memo memo(const Face &face)
{
    const FaceFile::WriteResult faceFile = FaceFile::write(face.PartFiles, face.PartCodes);
    return {faceFile.ok() ? faceFile.bytes : QByteArray(), FaceCode::compose(face.PartCodes)};
}

PictureEncoders::Encoded encode(const QImage &picture, Format format,
                                const PictureEncoders::Memo &memo, int quality)
{
    // The encoders take rows without padding, which RGB32 always has.
    const auto *pixels = reinterpret_cast<const quint32 *>(picture.constBits());
    const int width = picture.width();
    const int height = picture.height();
    switch (format) {
    case Format::Bmp:
        return PictureEncoders::encodeBMP(pixels, width, height);
    case Format::Gif:
        return PictureEncoders::encodeGIF(pixels, width, height, memo);
    case Format::Png:
        // A batch writes thousands: the quicker compression is worth a file a
        // quarter larger.
        return PictureEncoders::encodePNG(pixels, width, height, PictureEncoders::PngFast, memo);
    case Format::Jpeg:
        break;
    }
    return PictureEncoders::encodeJPEG(pixels, width, height, quint8(qBound(1, quality, 100)),
                                       memo);
}

AtomicFile::Result save(const QImage &picture, Format format, const QString &path,
                        const PictureEncoders::Memo &memo, int quality)
{
    const PictureEncoders::Encoded encoded = encode(picture, format, memo, quality);
    return encoded.ok() ? AtomicFile::write(path, encoded.bytes) : encoded.result;
}

} // namespace BatchRender
