#pragma once

#include "document/Composite.h"
#include "output/PictureEncoders.h"
#include "render/PartsLibrary.h"

#include <QImage>
#include <QString>

#include <optional>

// A face drawn as a picture file of a chosen size and format, through the
// composite's painting and the export's encoders.
namespace BatchRender {

enum class Format { Bmp, Gif, Png, Jpeg };

// The format a file name's extension or a --format word names: bmp, gif,
// png, jpg or jpeg, in any letter case.
std::optional<Format> formatFromSuffix(const QString &suffix);
// The extension a file of the format is given: bmp, gif, png or jpg.
QString suffix(Format format);

// The largest longer side a picture may have.
constexpr int MaxLongerSide = 8192;

// The face painted by Composite::paint, scaled so that its longer side (the
// height) is longerSide pixels; 0 keeps the surface's own 249 × 265. RGB32.
QImage picture(const Composite::Layers &layers, int longerSide = 0);

// What the picture remembers of its face, as the export writes it: the face
// file's bytes and the face code.
PictureEncoders::Memo memo(const Face &face);

// The picture's file in the format, made by the export's encoders. quality:
// JPEG only, 1 to 100.
PictureEncoders::Encoded encode(const QImage &picture, Format format,
                                const PictureEncoders::Memo &memo, int quality);

// The same file written to path (an atomic write).
AtomicFile::Result save(const QImage &picture, Format format, const QString &path,
                        const PictureEncoders::Memo &memo, int quality);

} // namespace BatchRender
