#include "tools/partsgen/OutlineArt.h"

#include "tools/partsgen/FaceGeometry.h"
#include "tools/partsgen/PartCanvas.h"
#include "tools/partsgen/SmoothCurve.h"

#include <QPainterPath>

using FaceGeometry::CentreX;
using SmoothCurve::Point;

namespace {

enum class Ears { None, Round, Pointed };
enum class Nose { Curve, Nostrils, Line, Button };

struct Design
{
    // The right half of the head, as offsets from the axis, crown to chin.
    QList<Point> profile;
    QColor skin;
    Ears ears = Ears::None;
    Nose nose = Nose::Curve;
    bool blush = false;
    bool freckles = false;
};

// Head shapes. All crowns sit near FaceGeometry::HeadTop and all are at
// least 62 wide either side of the axis at the eyes, so any eyes fit; every
// chin is well below the lowest mouth (about y 205).
const QList<Point> Round = {{{0, 30}},   {{50, 35}},  {{77, 60}},  {{86, 105}},
                            {{84, 150}}, {{72, 192}}, {{44, 224}}, {{0, 234}}};
const QList<Point> Oval = {{{0, 28}},   {{46, 33}},  {{70, 58}},  {{77, 105}},
                           {{73, 155}}, {{58, 199}}, {{32, 228}}, {{0, 238}}};
const QList<Point> Square = {{{0, 31}},   {{52, 35}},       {{77, 58}},       {{83, 100}},
                             {{83, 165}}, {{80, 197}, 0.5}, {{60, 221}, 0.6}, {{0, 228}}};
const QList<Point> Pointed = {{{0, 30}},   {{50, 35}},  {{75, 60}},     {{81, 108}},
                              {{75, 155}}, {{52, 205}}, {{0, 243}, 0.2}};
const QList<Point> Wide = {{{0, 33}},   {{57, 37}},  {{83, 62}},  {{89, 110}},
                           {{88, 160}}, {{76, 200}}, {{46, 225}}, {{0, 232}}};
const QList<Point> Long = {{{0, 27}},   {{43, 32}},  {{63, 57}},  {{67, 105}},
                           {{64, 160}}, {{52, 205}}, {{28, 233}}, {{0, 241}}};
const QList<Point> Heart = {{{0, 32}},   {{55, 36}},  {{81, 62}},  {{86, 102}},
                            {{77, 150}}, {{55, 197}}, {{24, 229}}, {{0, 238}, 0.5}};
const QList<Point> Pear = {{{0, 33}},   {{46, 36}},  {{70, 60}},  {{78, 105}},
                           {{84, 160}}, {{80, 200}}, {{50, 226}}, {{0, 232}}};
const QList<Point> Chubby = {{{0, 32}},   {{54, 36}},  {{80, 62}},  {{88, 112}},
                             {{88, 165}}, {{74, 206}}, {{42, 229}}, {{0, 234}}};
const QList<Point> Egg = {{{0, 29}},   {{52, 34}},  {{78, 60}},  {{82, 108}},
                          {{72, 165}}, {{52, 210}}, {{26, 233}}, {{0, 239}}};

// Skin tones, light to deep; each keeps clear of the white background.
const QColor Fair(0xFC, 0xE6, 0xD4);
const QColor Light(0xF8, 0xD7, 0xBC);
const QColor Peach(0xF3, 0xC6, 0xA0);
const QColor Golden(0xE8, 0xB9, 0x8C);
const QColor Tan(0xD9, 0xA2, 0x73);
const QColor Medium(0xC2, 0x84, 0x57);
const QColor Brown(0x9C, 0x65, 0x42);
const QColor Deep(0x6E, 0x44, 0x29);

const QList<Design> &designs()
{
    static const QList<Design> all = {
        {Round, Light, Ears::None, Nose::Curve, false, false},
        {Oval, Fair, Ears::None, Nose::Line, false, false},
        {Square, Tan, Ears::None, Nose::Nostrils, false, false},
        {Pointed, Peach, Ears::None, Nose::Curve, false, false},
        {Wide, Medium, Ears::None, Nose::Button, false, false},
        {Round, Light, Ears::Round, Nose::Curve, false, false},
        {Long, Brown, Ears::None, Nose::Line, false, false},
        {Heart, Fair, Ears::None, Nose::Curve, true, false},
        {Chubby, Peach, Ears::None, Nose::Button, true, false},
        {Oval, Golden, Ears::Round, Nose::Nostrils, false, false},
        {Square, Deep, Ears::Round, Nose::Curve, false, false},
        {Pear, Tan, Ears::None, Nose::Line, false, false},
        {Round, Fair, Ears::None, Nose::Button, true, true},
        {Egg, Light, Ears::Pointed, Nose::Curve, false, false},
        {Wide, Brown, Ears::Round, Nose::Nostrils, false, false},
        {Long, Medium, Ears::None, Nose::Curve, true, false},
    };
    return all;
}

// How far the head reaches from the axis at height y, read off the profile.
qreal halfWidthAt(const QList<Point> &profile, qreal y)
{
    const QPainterPath head = SmoothCurve::closed(SmoothCurve::mirrored(profile, CentreX));
    qreal widest = 0;
    for (int i = 0; i <= 400; ++i) {
        const QPointF p = head.pointAtPercent(i / 400.0);
        if (qAbs(p.y() - y) < 1.5)
            widest = qMax(widest, qAbs(p.x() - CentreX));
    }
    return widest;
}

QColor lineColour(const QColor &skin)
{
    return skin.darker(skin.lightness() > 140 ? 150 : 170);
}

void drawEars(QPainter &p, const Design &d)
{
    const qreal reach = halfWidthAt(d.profile, 125);
    const QColor line = lineColour(d.skin);
    for (const qreal side : {-1.0, 1.0}) {
        QPainterPath ear;
        if (d.ears == Ears::Round) {
            const QPointF centre(CentreX + side * (reach - 1), 127);
            ear.addEllipse(centre, 9, 16);
        } else {
            // A tall leaf that ends in a point above and outward.
            const qreal x0 = CentreX + side * (reach - 6);
            ear = SmoothCurve::closed({{{x0, 108}},
                                       {{x0 + side * 17, 94}, 0.0},
                                       {{x0 + side * 15, 122}},
                                       {{x0 + side * 6, 146}},
                                       {{x0 - side * 2, 140}}});
        }
        p.setPen(roundPen(line, 2.2));
        p.setBrush(d.skin);
        p.drawPath(ear);
        // The fold inside the ear.
        const qreal ix = CentreX + side * (reach + (d.ears == Ears::Round ? 0 : 4));
        QPainterPath fold;
        fold.moveTo(ix, 116);
        fold.quadTo(ix + side * 7, 126, ix + side * 1, 138);
        p.setPen(roundPen(line, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawPath(fold);
    }
}

void drawNose(QPainter &p, const Design &d)
{
    const QColor line = lineColour(d.skin);
    const QPointF n = FaceGeometry::Nose;
    p.setBrush(Qt::NoBrush);
    switch (d.nose) {
    case Nose::Curve: {
        QPainterPath path;
        path.moveTo(n + QPointF(-5, 1));
        path.quadTo(n + QPointF(0, 5), n + QPointF(5, 1));
        p.setPen(roundPen(line, 2.0));
        p.drawPath(path);
        break;
    }
    case Nose::Nostrils:
        p.setPen(Qt::NoPen);
        p.setBrush(line);
        p.drawEllipse(n + QPointF(-4, 2), 1.8, 1.4);
        p.drawEllipse(n + QPointF(4, 2), 1.8, 1.4);
        break;
    case Nose::Line: {
        QPainterPath path;
        path.moveTo(n + QPointF(1, -14));
        path.quadTo(n + QPointF(-4, 0), n + QPointF(-1, 3));
        path.lineTo(n + QPointF(4, 3));
        p.setPen(roundPen(line, 1.8));
        p.drawPath(path);
        break;
    }
    case Nose::Button: {
        QColor shade = d.skin.darker(118);
        p.setPen(Qt::NoPen);
        p.setBrush(shade);
        p.drawEllipse(n, 6, 4.5);
        p.setBrush(d.skin.lighter(108));
        p.drawEllipse(n + QPointF(-1.5, -1.5), 2.2, 1.6);
        break;
    }
    }
}

void drawCheeks(QPainter &p, const Design &d)
{
    if (d.blush) {
        QColor pink(0xF2, 0x7A, 0x8A, 90);
        p.setPen(Qt::NoPen);
        p.setBrush(pink);
        for (const qreal side : {-1.0, 1.0})
            p.drawEllipse(QPointF(CentreX + side * 45, 158), 11, 6.5);
    }
    if (d.freckles) {
        QColor dot = d.skin.darker(135);
        dot.setAlpha(200);
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        const QPointF spots[] = {{36, 146}, {43, 150}, {50, 145}, {40, 155}, {47, 156}};
        for (const qreal side : {-1.0, 1.0}) {
            for (const QPointF &s : spots)
                p.drawEllipse(QPointF(CentreX + side * s.x(), s.y()), 1.3, 1.3);
        }
    }
}

} // namespace

namespace OutlineArt {

int count()
{
    return int(designs().size());
}

void paint(QPainter &p, int index)
{
    const Design &d = designs().at(index);

    if (d.ears != Ears::None)
        drawEars(p, d);

    const QPainterPath head = SmoothCurve::closed(SmoothCurve::mirrored(d.profile, CentreX));
    // A touch of shade towards the jaw keeps the pale tones from looking flat.
    QLinearGradient skin(0, 60, 0, 240);
    skin.setColorAt(0, d.skin.lighter(103));
    skin.setColorAt(1, d.skin.darker(106));
    p.setPen(roundPen(lineColour(d.skin), 2.4));
    p.setBrush(skin);
    p.drawPath(head);

    drawCheeks(p, d);
    drawNose(p, d);
}

} // namespace OutlineArt
