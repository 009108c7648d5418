#pragma once

#include "document/FaceParts.h"

#include <QRect>
#include <QString>

class QImage;
class QPainter;

// Draws the composite face: the four layers, outline first, then eyes, hair
// and mouth, read afresh from the application folder on every call.
namespace Composite {

// The drawing surface of the main window, in pixels.
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

// Reads one part image; a null image when the entry is empty or the file is
// missing or not a picture.
QImage loadPart(const QString &appDir, const QString &entry);

// Clears the painter's device to white and paints the layers that can be read.
void draw(QPainter &painter, const QString &appDir, const FaceParts &partFiles);

} // namespace Composite
