#include "tools/partsgen/SmoothCurve.h"

namespace SmoothCurve {

namespace {

// One Catmull-Rom segment from b to c, with a and d its neighbours.
void addSegment(QPainterPath &path, const Point &a, const Point &b, const Point &c, const Point &d)
{
    const QPointF c1 = b.at + (c.at - a.at) * (b.smooth / 6.0);
    const QPointF c2 = c.at - (d.at - b.at) * (c.smooth / 6.0);
    path.cubicTo(c1, c2, c.at);
}

} // namespace

QPainterPath closed(const QList<Point> &points)
{
    QPainterPath path;
    const qsizetype n = points.size();
    if (n < 3)
        return path;
    path.moveTo(points.front().at);
    for (qsizetype i = 0; i < n; ++i) {
        addSegment(path, points[(i + n - 1) % n], points[i], points[(i + 1) % n],
                   points[(i + 2) % n]);
    }
    path.closeSubpath();
    return path;
}

QPainterPath open(const QList<Point> &points)
{
    QPainterPath path;
    const qsizetype n = points.size();
    if (n < 2)
        return path;
    path.moveTo(points.front().at);
    for (qsizetype i = 0; i + 1 < n; ++i) {
        const Point &before = i > 0 ? points[i - 1] : points[i];
        const Point &after = i + 2 < n ? points[i + 2] : points[i + 1];
        addSegment(path, before, points[i], points[i + 1], after);
    }
    return path;
}

QList<Point> mirrored(const QList<Point> &rightHalf, qreal centreX)
{
    QList<Point> loop;
    for (const Point &p : rightHalf)
        loop.append({{centreX + p.at.x(), p.at.y()}, p.smooth});
    for (qsizetype i = rightHalf.size() - 1; i >= 0; --i) {
        const Point &p = rightHalf[i];
        const bool onAxis = qFuzzyIsNull(p.at.x());
        if (onAxis && (i == 0 || i == rightHalf.size() - 1))
            continue;
        loop.append({{centreX - p.at.x(), p.at.y()}, p.smooth});
    }
    return loop;
}

QList<Point> reflected(const QList<Point> &points, qreal centreX)
{
    QList<Point> out;
    out.reserve(points.size());
    for (const Point &p : points)
        out.append({{2 * centreX - p.at.x(), p.at.y()}, p.smooth});
    return out;
}

} // namespace SmoothCurve
