#pragma once

#include "document/FaceParts.h"

#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

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
// for an entry that leads elsewhere or names nothing.
QString realPartPath(const QString &appDir, const QString &entry);

// Reads one part image; a null image when the entry is empty, leads out of
// the application folder (its real path, links followed, lies outside the
// folder's), or names no readable picture. The file is looked
// at afresh each time; its picture is decoded again unless the file is
// unchanged since it was last decoded (PictureCache), so a part replaced,
// rewritten or removed shows at the next redraw as it is then. Pictures with
// transparency come with their alpha premultiplied.
QImage loadPart(const QString &appDir, const QString &entry);

// The four pictures of a face, read once; a caller drawing the same parts
// many times keeps them. A part that could not be read is a null image.
struct Layers
{
    QImage outline;
    QImage eyes;
    QImage hair;
    QImage mouth;
};
Layers loadLayers(const QString &appDir, const FaceParts &partFiles);

// Paints the face onto the surface's rectangle (0, 0, 249, 265) of the
// painter's coordinates: white first, then the layers that could be read,
// nothing outside the rectangle. The one painting function of the face: the
// window, the tests and every picture made of a face use it, at whatever
// resolution the painter's device has.
void paint(QPainter &painter, const Layers &layers);

// The face as a picture of its own, 249 × 265 pixels (QImage::Format_RGB32),
// painted by paint().
QImage picture(const Layers &layers);

} // namespace Composite
