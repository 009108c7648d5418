#include "output/PictureFormat.h"

#include "EncoderSupport.h"

#include "document/FaceCode.h"
#include "document/FaceFile.h"

#include <QFileInfo>
#include <QImage>

using namespace Qt::StringLiterals;

namespace PictureFormat {

std::optional<Format> fromSuffix(const QString &suffix)
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
    if (word == u"svg")
        return Format::Svg;
    return std::nullopt;
}

std::optional<Format> ofFile(const QString &path)
{
    return fromSuffix(QFileInfo(path).suffix());
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
    case Format::Svg:
        return u"svg"_s;
    case Format::Jpeg:
        break;
    }
    return u"jpg"_s;
}

std::optional<PictureEncoders::Memo> memo(const FaceParts &partFiles, const FaceParts &partCodes)
{
    const FaceFile::WriteResult faceFile = FaceFile::write(partFiles, partCodes);
    if (!faceFile.ok())
        return std::nullopt;
    return PictureEncoders::Memo{faceFile.bytes, FaceCode::compose(partCodes)};
}

PictureEncoders::Encoded encode(Format format, const Composite::Layers &layers,
                                const PictureEncoders::Memo &memo, const Options &options)
{
    if (format == Format::Svg)
        return PictureEncoders::encodeSVG(layers, options.size, memo);
    const QImage picture = Composite::picture(layers, options.size);
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
        return PictureEncoders::encodePNG(pixels, width, height, options.pngOption, memo);
    case Format::Jpeg:
    case Format::Svg:
        break;
    }
    return PictureEncoders::encodeJPEG(pixels, width, height, options.jpegQuality, memo);
}

AtomicFile::Result write(Format format, const Composite::Layers &layers, const QString &path,
                         const PictureEncoders::Memo &memo, const Options &options)
{
    return PictureEncoders::Support::write(encode(format, layers, memo, options), path);
}

} // namespace PictureFormat
