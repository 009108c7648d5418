#include "tools/partsgen/SmoothCurve.h"

#include <QTest>

using SmoothCurve::Point;

namespace {

// How close the path comes to `at`, by sampling it finely.
qreal distanceTo(const QPainterPath &path, QPointF at)
{
    qreal best = 1e9;
    for (int i = 0; i <= 2000; ++i)
        best = qMin(best, QLineF(path.pointAtPercent(i / 2000.0), at).length());
    return best;
}

const QList<Point> HalfHead = {{{0, 30}}, {{50, 35}}, {{80, 100}}, {{45, 200}, 0.0}, {{0, 230}}};

} // namespace

class TestSmoothCurve : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void curvesPassThroughEveryPoint()
    {
        const QList<Point> loop = SmoothCurve::mirrored(HalfHead, 120);
        const QPainterPath closed = SmoothCurve::closed(loop);
        for (const Point &p : loop)
            QVERIFY2(distanceTo(closed, p.at) < 0.3, qPrintable(QString::number(p.at.x())));

        const QPainterPath open = SmoothCurve::open(HalfHead);
        QCOMPARE(open.pointAtPercent(0), HalfHead.front().at);
        QCOMPARE(open.pointAtPercent(1), HalfHead.back().at);
        for (const Point &p : HalfHead)
            QVERIFY(distanceTo(open, p.at) < 0.3);
    }

    void mirroredShapesAreSymmetricAndShareTheirAxisPoints()
    {
        const QList<Point> loop = SmoothCurve::mirrored(HalfHead, 120);
        // Crown and chin once each, the three side points twice.
        QCOMPARE(loop.size(), 8);
        QCOMPARE(loop.front().at, QPointF(120, 30));
        const QPainterPath head = SmoothCurve::closed(loop);
        const QRectF box = head.boundingRect();
        QVERIFY(qAbs(box.left() + box.right() - 240) < 0.5);
        // Every point of the outline has its mirror image on the outline too.
        for (int i = 0; i < 40; ++i) {
            const QPointF p = head.pointAtPercent(i / 40.0);
            QVERIFY(distanceTo(head, QPointF(240 - p.x(), p.y())) < 0.5);
        }
        const QList<Point> back = SmoothCurve::reflected(SmoothCurve::reflected(loop, 120), 120);
        for (qsizetype i = 0; i < loop.size(); ++i)
            QCOMPARE(back[i].at, loop[i].at);
    }

    void aCornerPointMakesASharpTurn()
    {
        // The same three points, once smooth and once with a corner in the
        // middle: the smooth curve bulges past the middle point, the corner
        // does not.
        const QList<Point> smooth = {{{0, 0}}, {{50, 50}}, {{100, 0}}};
        const QList<Point> corner = {{{0, 0}}, {{50, 50}, 0.0}, {{100, 0}}};
        QVERIFY(SmoothCurve::open(smooth).boundingRect().bottom() >= 50);
        QCOMPARE(SmoothCurve::open(corner).boundingRect().bottom(), 50.0);
        // Near the corner the corner curve's direction changes abruptly.
        const QPainterPath c = SmoothCurve::open(corner);
        const qreal before = c.angleAtPercent(0.49), after = c.angleAtPercent(0.51);
        QVERIFY(qAbs(before - after) > 30);
    }

    void tooFewPointsGiveNoShape()
    {
        QVERIFY(SmoothCurve::closed({{{0, 0}}, {{10, 10}}}).isEmpty());
        QVERIFY(SmoothCurve::open({{{0, 0}}}).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSmoothCurve)
#include "tst_smoothcurve.moc"
