#pragma once

#include <QList>
#include <QPainterPath>
#include <QPointF>

// Smooth shapes through a few hand-placed points, so a head or a lock of hair
// is described by where it passes rather than by Bézier handles.
namespace SmoothCurve {

struct Point
{
    QPointF at;
    // 1 passes smoothly; 0 makes a corner (a pointed chin, the tip of a spike).
    qreal smooth = 1.0;
};

// A closed curve through the points in order.
QPainterPath closed(const QList<Point> &points);

// An open curve from the first point to the last.
QPainterPath open(const QList<Point> &points);

// The whole loop of a shape symmetric about centreX, from its right half
// given as offsets from the axis, top to bottom. Points on the axis (offset 0)
// at either end are shared by both halves.
QList<Point> mirrored(const QList<Point> &rightHalf, qreal centreX);

// The same points reflected about centreX, for the other side of the face.
QList<Point> reflected(const QList<Point> &points, qreal centreX);

} // namespace SmoothCurve
