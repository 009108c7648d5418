#include "render/FacePicture.h"

#include "document/FaceCode.h"

#include <cmath>

namespace BatchRender {

QSize pictureSize(int longerSide)
{
    if (longerSide <= 0 || longerSide == Composite::SurfaceHeight)
        return {Composite::SurfaceWidth, Composite::SurfaceHeight};
    // The surface is taller than wide: its height is the longer side.
    const qreal scale = qreal(longerSide) / Composite::SurfaceHeight;
    return {qMax(1, int(std::lround(Composite::SurfaceWidth * scale))), longerSide};
}

QImage picture(const Composite::Layers &layers, int longerSide)
{
    return Composite::picture(layers, pictureSize(longerSide));
}

PictureEncoders::Memo memo(const Face &face)
{
    return PictureFormat::memo(face.PartFiles, face.PartCodes)
        .value_or(PictureEncoders::Memo{{}, FaceCode::compose(face.PartCodes)});
}

PictureEncoders::Encoded encode(const Composite::Layers &layers, int longerSide, Format format,
                                const PictureEncoders::Memo &memo, int quality)
{
    PictureFormat::Options options;
    options.size = pictureSize(longerSide);
    options.jpegQuality = quint8(qBound(1, quality, 100));
    // A batch writes thousands: the quicker compression is worth a file a
    // quarter larger.
    options.pngOption = PictureEncoders::PngFast;
    return PictureFormat::encode(format, layers, memo, options);
}

} // namespace BatchRender
