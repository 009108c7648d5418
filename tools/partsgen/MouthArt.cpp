#include "tools/partsgen/MouthArt.h"

#include "tools/partsgen/FaceGeometry.h"
#include "tools/partsgen/PartCanvas.h"

#include <QPainterPath>
#include <QtMath>

namespace {

const QColor Line(0x5A, 0x2A, 0x24);
const QColor Inside(0x7A, 0x26, 0x2A);
const QColor Tongue(0xEE, 0x7F, 0x8C);
const QColor Lips(0xD3, 0x32, 0x4C);

// Mouths are drawn about their centre, FaceGeometry::Mouth.
QPointF at(qreal dx, qreal dy)
{
    return FaceGeometry::Mouth + QPointF(dx, dy);
}

void stroke(QPainter &p, const QPainterPath &path, qreal width = 2.4, QColor colour = Line)
{
    p.setPen(roundPen(colour, width));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

QPainterPath smileCurve(qreal half, qreal depth, qreal dy = 0)
{
    QPainterPath path;
    path.moveTo(at(-half, dy));
    path.quadTo(at(0, dy + depth * 2), at(half, dy));
    return path;
}

void drawSmile(QPainter &p)
{
    stroke(p, smileCurve(15, 7, -3));
    // Little creases at the corners.
    stroke(p, smileCurve(2, -1.5, -5).translated(-15, 0), 1.6);
    stroke(p, smileCurve(2, -1.5, -5).translated(15, 0), 1.6);
}

// An open mouth: flat-ish top, deep round bottom, with the tongue at the back.
void drawOpenShape(QPainter &p, const QPainterPath &mouth, qreal tongueY)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Inside);
    p.drawPath(mouth);
    p.save();
    p.setClipPath(mouth);
    p.setBrush(Tongue);
    p.drawEllipse(at(0, tongueY), 11, 7);
    p.restore();
    p.setPen(roundPen(Line, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mouth);
}

void drawLaugh(QPainter &p)
{
    QPainterPath mouth;
    mouth.moveTo(at(-17, -6));
    mouth.quadTo(at(0, -3), at(17, -6));
    mouth.cubicTo(at(16, 10), at(8, 17), at(0, 17));
    mouth.cubicTo(at(-8, 17), at(-16, 10), at(-17, -6));
    drawOpenShape(p, mouth, 16);
}

void drawSmallO(QPainter &p)
{
    QPainterPath mouth;
    mouth.addEllipse(at(0, 1), 5, 6);
    p.setPen(roundPen(Line, 2.0));
    p.setBrush(Inside);
    p.drawPath(mouth);
}

void drawFlat(QPainter &p)
{
    QPainterPath path;
    path.moveTo(at(-11, 0));
    path.lineTo(at(11, 0));
    stroke(p, path);
}

void drawTongue(QPainter &p)
{
    QPainterPath tongue;
    tongue.moveTo(at(-1, 0));
    tongue.lineTo(at(11, -1));
    tongue.cubicTo(at(12, 10), at(9, 15), at(5, 15));
    tongue.cubicTo(at(1, 15), at(-1, 10), at(-1, 0));
    p.setPen(roundPen(Line, 1.8));
    p.setBrush(Tongue);
    p.drawPath(tongue);
    QPainterPath groove;
    groove.moveTo(at(5, 2));
    groove.lineTo(at(5, 9));
    stroke(p, groove, 1.3, QColor(0xC2, 0x4E, 0x60));
    stroke(p, smileCurve(15, 3, -2));
}

void drawFrown(QPainter &p)
{
    stroke(p, smileCurve(13, -5, 5));
}

void drawCatMouth(QPainter &p)
{
    QPainterPath path;
    path.moveTo(at(-12, -4));
    path.quadTo(at(-6, 7), at(0, -2));
    path.quadTo(at(6, 7), at(12, -4));
    stroke(p, path, 2.2);
}

void drawGrin(QPainter &p)
{
    QPainterPath mouth;
    mouth.moveTo(at(-18, -5));
    mouth.quadTo(at(0, -1), at(18, -5));
    mouth.quadTo(at(14, 12), at(0, 12));
    mouth.quadTo(at(-14, 12), at(-18, -5));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawPath(mouth);
    p.save();
    p.setClipPath(mouth);
    // Upper and lower teeth meet along a gentle curve.
    QPainterPath bite;
    bite.moveTo(at(-18, 2));
    bite.quadTo(at(0, 6), at(18, 2));
    p.setPen(roundPen(QColor(0xB8, 0xA8, 0xA4), 1.2));
    p.drawPath(bite);
    for (const qreal x : {-10.0, -3.5, 3.5, 10.0})
        p.drawLine(at(x, -5), at(x * 0.95, 12));
    p.restore();
    p.setPen(roundPen(Line, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mouth);
}

void drawLipstick(QPainter &p)
{
    QPainterPath upper;
    upper.moveTo(at(-15, 0));
    upper.cubicTo(at(-10, -5), at(-6, -8), at(-2.5, -6));
    upper.quadTo(at(0, -4.5), at(2.5, -6));
    upper.cubicTo(at(6, -8), at(10, -5), at(15, 0));
    upper.quadTo(at(0, 1.5), at(-15, 0));
    QPainterPath lower;
    lower.moveTo(at(-15, 0));
    lower.quadTo(at(0, 1.5), at(15, 0));
    lower.cubicTo(at(11, 9), at(-11, 9), at(-15, 0));
    p.setPen(roundPen(Lips.darker(140), 1.4));
    p.setBrush(Lips);
    p.drawPath(lower);
    p.setBrush(Lips.darker(112));
    p.drawPath(upper);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(at(-4, 4), 3.5, 1.3);
}

void drawSmirk(QPainter &p)
{
    QPainterPath path;
    path.moveTo(at(-13, 2));
    path.cubicTo(at(-4, 4), at(6, 2), at(13, -4));
    stroke(p, path);
    QPainterPath dimple;
    dimple.moveTo(at(12, -7));
    dimple.quadTo(at(15.5, -4.5), at(14, -1));
    stroke(p, dimple, 1.6);
}

void drawShout(QPainter &p)
{
    QPainterPath mouth;
    mouth.addEllipse(at(0, 3), 8, 11);
    drawOpenShape(p, mouth, 12);
}

void drawTinySmile(QPainter &p)
{
    stroke(p, smileCurve(7, 3.5, -1), 2.2);
}

void drawKiss(QPainter &p)
{
    // Puckered lips, a small "3" on its side.
    QPainterPath path;
    path.moveTo(at(-3, -7));
    path.cubicTo(at(5, -8), at(6, -1), at(0, 0));
    path.cubicTo(at(6, 1), at(5, 8), at(-3, 7));
    stroke(p, path, 2.2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF2, 0x7A, 0x8A, 80));
    p.drawEllipse(at(1.5, 0), 4.5, 5.5);
}

void drawBunnyTeeth(QPainter &p)
{
    const QRectF teeth(at(-5, 0), QSizeF(10, 7));
    p.setPen(roundPen(Line, 1.6));
    p.setBrush(Qt::white);
    p.drawRoundedRect(teeth, 1.5, 1.5);
    p.drawLine(at(0, 0.5), at(0, 6.5));
    QPainterPath smile;
    smile.moveTo(at(-13, -4));
    smile.quadTo(at(0, 3), at(13, -4));
    stroke(p, smile);
}

void drawWavy(QPainter &p)
{
    QPainterPath path;
    const qreal half = 15;
    path.moveTo(at(-half, 0));
    for (int i = 1; i <= 40; ++i) {
        const qreal x = -half + 2 * half * i / 40.0;
        path.lineTo(at(x, 2.6 * qSin(x / half * 3 * M_PI)));
    }
    stroke(p, path, 2.2);
}

void drawMoustache(QPainter &p)
{
    stroke(p, smileCurve(9, 4, 3), 2.2);
    const QColor hair(0x5A, 0x3A, 0x28);
    QPainterPath side;
    side.moveTo(at(0, -9));
    side.cubicTo(at(8, -13), at(18, -10), at(24, -3));
    side.cubicTo(at(19, -4), at(14, -1), at(7, -2));
    side.cubicTo(at(3, -2), at(1, -4), at(0, -5));
    QPainterPath both = side;
    both.addPath(QTransform()
                     .translate(FaceGeometry::Mouth.x(), 0)
                     .scale(-1, 1)
                     .translate(-FaceGeometry::Mouth.x(), 0)
                     .map(side));
    p.setPen(roundPen(hair.darker(150), 1.4));
    p.setBrush(hair);
    p.drawPath(both);
}

using Painter = void (*)(QPainter &);
const Painter Designs[] = {
    drawSmile,    drawLaugh,      drawSmallO,   drawFlat,      drawTongue, drawFrown,
    drawCatMouth, drawGrin,       drawLipstick, drawSmirk,     drawShout,  drawTinySmile,
    drawKiss,     drawBunnyTeeth, drawWavy,     drawMoustache,
};

} // namespace

namespace MouthArt {

int count()
{
    return int(std::size(Designs));
}

void paint(QPainter &painter, int index)
{
    Designs[index](painter);
}

} // namespace MouthArt
