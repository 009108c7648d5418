#pragma once

#include "document/FaceParts.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <memory>

class QPainter;
class ScalablePicture;

// The composite face: four layers read from the parts library and painted
// one over another, outline first, then eyes, hair and mouth.
namespace Composite {

// The drawing surface of the main window, in (device-independent) pixels.
constexpr int SurfaceWidth = 249;
constexpr int SurfaceHeight = 265;

// Where the layers lie. The outline is drawn at its own size from its top
// left corner; the other three are stretched to fill their box exactly.
constexpr QPoint OutlineOrigin{20, 10};
constexpr QRect EyesBox{80, 80, 80, 80};
constexpr QRect HairBox{25, 0, 200, 200};
constexpr QRect MouthBox{70, 150, 100, 100};

// The file a part entry names: the application folder, "/" and the entry with
// its "\" separators turned into "/".
QString partPath(const QString &appDir, const QString &entry);

// The real path of the file a part entry names (in another letter case when
// only that exists), when it lies inside the parts library: the application
// folder or one of its category folders, each taken at its real path. Empty
// for an entry that leads elsewhere or names nothing. Face files name the
// parts of the library as it was, PNG pictures ("顔\f03.png"): when such a
// file is missing and the same name ending in .svg is there, the drawing the
// library holds now, that is the part.
QString realPartPath(const QString &appDir, const QString &entry);

// Reads one part image; a null image when the entry is empty, leads out of
// the application folder (its real path, links followed, lies outside the
// folder's), or names no readable picture. The file is looked
// at afresh each time; its picture is decoded again unless the file is
// unchanged since it was last decoded (PictureCache), so a part replaced,
// rewritten or removed shows at the next redraw as it is then. Pictures with
// transparency come with their alpha premultiplied; a drawing comes drawn at
// its own size. loadLayers() reads parts the same way.
QImage loadPart(const QString &appDir, const QString &entry);

// One layer of the face as its file holds it: a picture of pixels, drawn as it
// is, or a drawing (SVG), drawn anew at the resolution of whatever the face
// is painted on. Either way it has a size of its own in logical pixels, the
// size the outline is drawn at.
struct Part
{
    Part() = default;
    // A picture of pixels (implicitly: a picture is a part).
    Part(QImage picture) : image(std::move(picture)) {}

    QImage image;
    std::shared_ptr<const ScalablePicture> drawing;
    QString path; // the drawing's file, under which its pictures are kept

    bool isNull() const { return image.isNull() && !drawing; }
    QSize size() const;
};

// The four parts of a face, read once; a caller drawing the same parts many
// times keeps them. A part that could not be read is a null part.
struct Layers
{
    Part outline;
    Part eyes;
    Part hair;
    Part mouth;
};
Layers loadLayers(const QString &appDir, const FaceParts &partFiles);

// Paints the face onto the surface's rectangle (0, 0, 249, 265) of the
// painter's coordinates: white first, then the layers that could be read,
// nothing outside the rectangle. The one painting function of the face: the
// window, the tests and every picture made of a face use it, at whatever
// resolution the painter's device has. A drawing is drawn at the pixels its
// box covers on the device (a window at twice the density gets it drawn at
// twice the size, not enlarged), kept in PictureCache for the next paint; on
// a device of shapes (an SVG or PDF file) it is drawn as the shapes it is.
void paint(QPainter &painter, const Layers &layers);

// The face as a picture of its own, painted by paint() scaled to fill size
// pixels (QImage::Format_RGB32): by default the surface's own 249 × 265.
QImage picture(const Layers &layers, QSize size = {SurfaceWidth, SurfaceHeight});

} // namespace Composite
