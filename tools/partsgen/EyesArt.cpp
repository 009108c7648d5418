#include "tools/partsgen/EyesArt.h"

#include "tools/partsgen/FaceGeometry.h"
#include "tools/partsgen/PartCanvas.h"

#include <QPainterPath>
#include <QRadialGradient>

#include <functional>

namespace {

const QColor Ink(0x2A, 0x21, 0x1C);
const QColor Brow(0x4A, 0x36, 0x2A);

// Paints `one` at each eye with the painter moved to the eye's centre.
// `out` is +1 for the right eye and -1 for the left one, so a drawing can
// turn its outer corner, lashes or brow tail away from the nose; highlights
// keep the same side on both eyes, as the light comes from one place.
void bothEyes(QPainter &p, const std::function<void(QPainter &, qreal out)> &one)
{
    for (const auto &[centre, out] :
         {std::pair{FaceGeometry::LeftEye, -1.0}, std::pair{FaceGeometry::RightEye, 1.0}}) {
        p.save();
        p.translate(centre);
        one(p, out);
        p.restore();
    }
}

// A brow above one eye: `lift` raises it, `tilt` drops its inner end
// (positive: cross, negative: worried).
void brow(QPainter &p, qreal out, qreal lift = 0, qreal tilt = 0, qreal width = 2.2)
{
    QPainterPath path;
    const qreal y = -19 - lift;
    path.moveTo(-out * 8, y + tilt);
    path.quadTo(out * 1, y - 4, out * 10, y + 1 - tilt * 0.3);
    p.setPen(roundPen(Brow, width));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void highlight(QPainter &p, QPointF at, qreal r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(at, r, r);
}

// A round, dark eye with a catchlight: the plain eye several designs share.
void dotEye(QPainter &p, qreal rx = 4.8, qreal ry = 6.0)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Ink);
    p.drawEllipse(QPointF(0, 0), rx, ry);
    highlight(p, QPointF(-rx * 0.3, -ry * 0.35), rx * 0.32);
}

// An eye with white, coloured iris and pupil, inside an almond of size rx, ry.
void irisEye(QPainter &p, qreal out, QColor iris, qreal rx, qreal ry, qreal irisR)
{
    QPainterPath almond;
    almond.moveTo(-rx, 1);
    almond.cubicTo(-rx * 0.6, -ry * 1.25, rx * 0.6, -ry * 1.25, rx, -1);
    almond.cubicTo(rx * 0.6, ry * 1.2, -rx * 0.6, ry * 1.2, -rx, 1);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(almond);

    p.save();
    p.setClipPath(almond);
    QRadialGradient g(QPointF(0, 1), irisR);
    g.setColorAt(0, iris.lighter(140));
    g.setColorAt(0.75, iris);
    g.setColorAt(1, iris.darker(160));
    p.setBrush(g);
    p.drawEllipse(QPointF(0, 1), irisR, irisR * 1.08);
    p.setBrush(Ink);
    p.drawEllipse(QPointF(0, 1), irisR * 0.48, irisR * 0.52);
    p.restore();
    highlight(p, QPointF(-irisR * 0.4, -irisR * 0.35), irisR * 0.3);

    // The upper lid, heavier towards the outer corner.
    QPainterPath lid;
    lid.moveTo(-out * rx * 1.02, 1.5);
    lid.cubicTo(-out * rx * 0.6, -ry * 1.2, out * rx * 0.6, -ry * 1.22, out * rx * 1.1, -2);
    p.setPen(roundPen(Ink, 2.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(lid);
}

void arc(QPainter &p, QPointF from, QPointF via, QPointF to, qreal width)
{
    QPainterPath path;
    path.moveTo(from);
    path.quadTo(via, to);
    p.setPen(roundPen(Ink, width));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

// A four-pointed twinkle.
void sparkle(QPainter &p, QPointF at, qreal r)
{
    QPainterPath star;
    star.moveTo(at + QPointF(0, -r));
    star.quadTo(at, at + QPointF(r, 0));
    star.quadTo(at, at + QPointF(0, r));
    star.quadTo(at, at + QPointF(-r, 0));
    star.quadTo(at, at + QPointF(0, -r));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(star);
}

void drawRound(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        brow(e, out);
        dotEye(e);
    });
}

void drawAnime(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        brow(e, out, 3, 0, 1.8);
        irisEye(e, out, QColor(0x8A, 0x55, 0x2E), 10, 10, 6.8);
    });
}

void drawSmiling(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        brow(e, out, 2);
        arc(e, {-9, 3}, {0, -9}, {9, 3}, 2.8);
    });
}

void drawSleepy(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        brow(e, out, -1, -1);
        // Only the lower half of the eye shows under the heavy lid.
        QPainterPath half;
        half.moveTo(-7, -1);
        half.cubicTo(-6, 8, 6, 8, 7, -1);
        half.closeSubpath();
        e.setPen(Qt::NoPen);
        e.setBrush(Ink);
        e.drawPath(half);
        highlight(e, {-2.5, 2}, 1.3);
        QPainterPath lid;
        lid.moveTo(-10, 0);
        lid.quadTo(0, -3, 10, 0.5);
        e.setPen(roundPen(Ink, 2.6));
        e.setBrush(Qt::NoBrush);
        e.drawPath(lid);
    });
}

void drawLashes(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        brow(e, out, 2, 0, 1.8);
        irisEye(e, out, QColor(0x4E, 0x36, 0x28), 9, 8.5, 6);
        e.setPen(roundPen(Ink, 1.8));
        for (int i = 0; i < 3; ++i) {
            const QPointF root(out * (5.5 + i * 1.8), -6.5 + i * 2.4);
            e.drawLine(root, root + QPointF(out * (3.5 + i * 0.5), -3.8 + i * 1.2));
        }
    });
}

void drawRoundGlasses(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        brow(e, out, 6);
        dotEye(e, 4, 5);
        e.setPen(roundPen(QColor(0x3B, 0x2B, 0x22), 2.4));
        e.setBrush(QColor(0xB8, 0xD8, 0xF0, 55));
        e.drawEllipse(QPointF(0, 0), 15, 14);
        // A glint across the lens.
        e.setPen(roundPen(QColor(255, 255, 255, 200), 1.6));
        e.drawLine(QPointF(-9, -4), QPointF(-4, -9));
        // Half the bridge, and the arm heading for the ear.
        e.setPen(roundPen(QColor(0x3B, 0x2B, 0x22), 2.2));
        QPainterPath bridge;
        bridge.moveTo(-out * 15, -2);
        bridge.quadTo(-out * 17.5, -5, -out * 19, -4.5);
        e.drawPath(bridge);
        e.drawLine(QPointF(out * 15, -3), QPointF(out * 19.5, -5));
    });
}

void drawWink(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        brow(e, out, out < 0 ? 3 : 0);
        if (out < 0) {
            dotEye(e, 5.2, 6.6);
        } else {
            arc(e, {-9, 2}, {0, -6}, {9, 2}, 2.8);
            e.drawLine(QPointF(8.5, 2), QPointF(11, 4.5));
        }
    });
}

void drawSparkly(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        brow(e, out, 4, 0, 1.6);
        irisEye(e, out, QColor(0x3B, 0x7F, 0xD9), 10.5, 11, 8);
        sparkle(e, {-3.5, -3}, 4.5);
        sparkle(e, {3.5, 4.5}, 2.3);
        e.setPen(roundPen(Ink, 1.6));
        e.drawLine(QPointF(out * 10, -5), QPointF(out * 14, -8));
        e.drawLine(QPointF(out * 11, -1.5), QPointF(out * 15, -2.5));
    });
}

void drawClosed(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        brow(e, out, 1, -0.5);
        arc(e, {-9, -1}, {0, 8}, {9, -1}, 2.6);
        e.drawLine(QPointF(out * 8.5, -0.5), QPointF(out * 11.5, -2.5));
    });
}

void drawSquareGlasses(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        brow(e, out, 6, 1);
        dotEye(e, 4, 4.8);
        e.setPen(roundPen(QColor(0x1F, 0x1F, 0x26), 2.8));
        e.setBrush(QColor(0xC8, 0xE0, 0xF4, 45));
        e.drawRoundedRect(QRectF(-15, -10, 30, 20), 4, 4);
        e.drawLine(QPointF(-out * 15, -4), QPointF(-out * 19, -4));
        e.drawLine(QPointF(out * 15, -6), QPointF(out * 19.5, -7));
    });
}

void drawDetermined(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        // Brows drawn down and in.
        QPainterPath b;
        b.moveTo(-out * 8, -12);
        b.lineTo(out * 9, -19);
        e.setPen(roundPen(Brow, 3.2));
        e.drawPath(b);
        QPainterPath eye;
        eye.moveTo(-out * 7, -3);
        eye.lineTo(out * 7, -5.5);
        eye.cubicTo(out * 7, 5, -out * 7, 6, -out * 7, -3);
        e.setPen(Qt::NoPen);
        e.setBrush(Ink);
        e.drawPath(eye);
        highlight(e, {-1.5, 0}, 1.5);
    });
}

void drawSurprised(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        brow(e, out, 8, -1);
        e.setPen(roundPen(Ink, 2.0));
        e.setBrush(Qt::white);
        e.drawEllipse(QPointF(0, 0), 9, 10);
        e.setPen(Qt::NoPen);
        e.setBrush(Ink);
        e.drawEllipse(QPointF(0, 1), 2.8, 3.0);
    });
}

void drawSunglasses(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        QPainterPath lens;
        lens.moveTo(-out * 15, -9);
        lens.lineTo(out * 16, -9);
        lens.cubicTo(out * 16, 4, out * 11, 11, out * 2, 11);
        lens.cubicTo(-out * 9, 11, -out * 15, 4, -out * 15, -9);
        QLinearGradient g(0, -9, 0, 11);
        g.setColorAt(0, QColor(0x15, 0x15, 0x1C));
        g.setColorAt(1, QColor(0x3C, 0x3C, 0x4C));
        e.setPen(roundPen(QColor(0x0E, 0x0E, 0x12), 2.2));
        e.setBrush(g);
        e.drawPath(lens);
        e.setPen(roundPen(QColor(255, 255, 255, 150), 2.0));
        e.drawLine(QPointF(-8, -4), QPointF(-3, -4));
        e.setPen(roundPen(QColor(0x0E, 0x0E, 0x12), 2.6));
        e.drawLine(QPointF(-out * 15, -8), QPointF(-out * 19.5, -7));
        e.drawLine(QPointF(out * 16, -8), QPointF(out * 19.5, -8.5));
    });
}

void drawTearful(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        brow(e, out, 1, -4);
        dotEye(e, 5.2, 6.2);
        highlight(e, {2, 2.5}, 1.1);
        if (out > 0) {
            QPainterPath tear;
            tear.moveTo(7, 5);
            tear.cubicTo(5, 10, 5, 15, 8.5, 15);
            tear.cubicTo(12, 15, 12, 10, 7, 5);
            e.setPen(roundPen(QColor(0x4F, 0x9C, 0xE0), 1.2));
            e.setBrush(QColor(0xA8, 0xD8, 0xFF, 220));
            e.drawPath(tear);
        }
    });
}

void drawCat(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        brow(e, out, 3, 0.5, 1.8);
        QPainterPath almond;
        almond.moveTo(-out * 10, 1.5);
        almond.cubicTo(-out * 5, -8, out * 5, -9, out * 11, -4);
        almond.cubicTo(out * 6, 7, -out * 5, 7, -out * 10, 1.5);
        e.setPen(Qt::NoPen);
        e.setBrush(Qt::white);
        e.drawPath(almond);
        e.save();
        e.setClipPath(almond);
        QRadialGradient g(QPointF(0, 0), 6.5);
        g.setColorAt(0, QColor(0xB8, 0xD8, 0x4A));
        g.setColorAt(1, QColor(0x3A, 0x8A, 0x3A));
        e.setBrush(g);
        e.drawEllipse(QPointF(0, -0.5), 6.5, 6.8);
        e.setBrush(Ink);
        e.drawEllipse(QPointF(0, -0.5), 1.5, 5.5);
        e.restore();
        // Lined upper lid with a small wing.
        QPainterPath lid;
        lid.moveTo(-out * 10, 1.5);
        lid.cubicTo(-out * 5, -8, out * 5, -9, out * 11, -4);
        lid.lineTo(out * 14, -6.5);
        e.setPen(roundPen(Ink, 2.4));
        e.setBrush(Qt::NoBrush);
        e.drawPath(lid);
    });
}

void drawSqueezed(QPainter &p)
{
    bothEyes(p, [](QPainter &e, qreal out) {
        brow(e, out, 3, -1.5);
        // ">" on the left eye, "<" on the right: both point at the nose.
        QPainterPath v;
        v.moveTo(out * 7, -7);
        v.lineTo(-out * 6, 0);
        v.lineTo(out * 7, 7);
        e.setPen(roundPen(Ink, 2.8));
        e.setBrush(Qt::NoBrush);
        e.drawPath(v);
    });
}

using Painter = void (*)(QPainter &);
const Painter Designs[] = {
    drawRound,      drawAnime,   drawSmiling, drawSleepy,        drawLashes,     drawRoundGlasses,
    drawWink,       drawSparkly, drawClosed,  drawSquareGlasses, drawDetermined, drawSurprised,
    drawSunglasses, drawTearful, drawCat,     drawSqueezed,
};

} // namespace

namespace EyesArt {

int count()
{
    return int(std::size(Designs));
}

void paint(QPainter &painter, int index)
{
    Designs[index](painter);
}

} // namespace EyesArt
