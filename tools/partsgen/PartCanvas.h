#pragma once

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRect>

// The drawing of one part: paints part number `index` in composite surface
// coordinates.
using PartDrawing = void (*)(QPainter &painter, int index);

// Where a part's drawing ends up. Whatever is drawn inside `box` lands in
// the result and nothing outside it, because the result is made at the size
// of its box with the box's corner at its origin.
namespace PartCanvas {

// The part as a transparent picture of exactly its box's pixels.
QImage raster(const QRect &box, PartDrawing draw, int index);

// The part as an SVG document whose size and view box are the box's, so it
// draws at its box's size by default and sharp at any other.
QByteArray svg(const QRect &box, PartDrawing draw, int index);

} // namespace PartCanvas

// A pen with round ends and joints, the way all the line work is drawn.
QPen roundPen(const QColor &color, qreal width);
