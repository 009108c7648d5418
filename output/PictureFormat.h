#pragma once

#include "document/Composite.h"
#include "output/PictureEncoders.h"

#include <QSize>
#include <QString>

#include <optional>

// The picture files a face is written to: the format a name asks for, the
// memo the picture carries, and the writing itself, one and the same for the
// export and for kaogumi-render.
namespace PictureFormat {

enum class Format { Bmp, Gif, Png, Jpeg, Svg };

// The format an extension (without its dot) or a --format word names: bmp,
// gif, png, jpg or jpeg, svg, in any letter case.
std::optional<Format> fromSuffix(const QString &suffix);
// The format the ending of a file's name names.
std::optional<Format> ofFile(const QString &path);
// The extension a file of the format is given: bmp, gif, png, jpg or svg.
QString suffix(Format format);

// What the picture remembers of its face: the face file Save writes, and the
// face code. Nothing when no face file can hold the face.
std::optional<PictureEncoders::Memo> memo(const FaceParts &partFiles, const FaceParts &partCodes);

struct Options
{
    QSize size{Composite::SurfaceWidth, Composite::SurfaceHeight};
    quint8 jpegQuality = 90; // as PictureEncoders::DCSavetoJPEG takes it
    quint8 pngOption = 0;    // as PictureEncoders::DCSavetoPNG takes it
};

// The file of the face painted from layers in the format: the formats of
// pixels as a picture of options.size pixels, painted by Composite::picture;
// an SVG as shapes of that size. BMP carries no memo.
PictureEncoders::Encoded encode(Format format, const Composite::Layers &layers,
                                const PictureEncoders::Memo &memo, const Options &options = {});

// The same file written to path (an atomic write).
AtomicFile::Result write(Format format, const Composite::Layers &layers, const QString &path,
                         const PictureEncoders::Memo &memo, const Options &options = {});

} // namespace PictureFormat
