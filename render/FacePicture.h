#pragma once

#include "document/Composite.h"
#include "output/PictureFormat.h"
#include "render/PartsLibrary.h"

#include <QImage>
#include <QString>

#include <optional>

// A face drawn as a picture file of a chosen size and format, through the
// composite's painting and the export's own choice of formats and writing.
namespace BatchRender {

using Format = PictureFormat::Format;

// The format a file name's extension or a --format word names: bmp, gif,
// png, jpg or jpeg, svg, in any letter case.
inline std::optional<Format> formatFromSuffix(const QString &suffix)
{
    return PictureFormat::fromSuffix(suffix);
}
// The extension a file of the format is given: bmp, gif, png, jpg or svg.
using PictureFormat::suffix;

// The largest longer side a picture may have.
constexpr int MaxLongerSide = 8192;

// The size of a picture whose longer side (the height) is longerSide pixels,
// in the surface's proportions; 0 keeps the surface's own 249 × 265.
QSize pictureSize(int longerSide);

// The face painted by Composite::paint, scaled to pictureSize(longerSide)
// (drawings among the parts drawn at that size). RGB32.
QImage picture(const Composite::Layers &layers, int longerSide = 0);

// What the picture remembers of its face, as the export writes it: the face
// file's bytes and the face code (the code alone when no face file holds the
// face).
PictureEncoders::Memo memo(const Face &face);

// The face's file in the format at pictureSize(longerSide), made as the
// export makes it. quality: JPEG only, 1 to 100.
PictureEncoders::Encoded encode(const Composite::Layers &layers, int longerSide, Format format,
                                const PictureEncoders::Memo &memo, int quality);

} // namespace BatchRender
