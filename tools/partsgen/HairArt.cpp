#include "tools/partsgen/HairArt.h"

#include "tools/partsgen/FaceGeometry.h"
#include "tools/partsgen/PartCanvas.h"
#include "tools/partsgen/SmoothCurve.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QtMath>

using FaceGeometry::CentreX;
using SmoothCurve::Point;

namespace {

struct Colour
{
    QColor base;
    QColor shine;
    QColor line;
};

const Colour Black{QColor(0x2E, 0x2A, 0x30), QColor(0x74, 0x6E, 0x7C), QColor(0x12, 0x10, 0x14)};
const Colour BlueBlack{QColor(0x22, 0x27, 0x38), QColor(0x5E, 0x6A, 0x8C),
                       QColor(0x0B, 0x0D, 0x14)};
const Colour DarkBrown{QColor(0x4A, 0x30, 0x22), QColor(0x8E, 0x66, 0x4C),
                       QColor(0x24, 0x16, 0x0F)};
const Colour Brown{QColor(0x7A, 0x4D, 0x2C), QColor(0xB9, 0x87, 0x58), QColor(0x3E, 0x26, 0x14)};
const Colour Chestnut{QColor(0x8B, 0x4A, 0x2B), QColor(0xCB, 0x86, 0x5A), QColor(0x47, 0x22, 0x0F)};
const Colour Blond{QColor(0xE3, 0xBD, 0x5F), QColor(0xFA, 0xEA, 0xAE), QColor(0x9C, 0x7A, 0x2A)};
const Colour Red{QColor(0xC4, 0x50, 0x2B), QColor(0xF0, 0x92, 0x62), QColor(0x6E, 0x27, 0x11)};
const Colour Ginger{QColor(0xB8, 0x68, 0x30), QColor(0xE8, 0xA4, 0x6A), QColor(0x5E, 0x2F, 0x12)};
const Colour Grey{QColor(0xA5, 0xA5, 0xAC), QColor(0xDC, 0xDC, 0xE2), QColor(0x5E, 0x5E, 0x66)};
const Colour Silver{QColor(0xC4, 0xC6, 0xCE), QColor(0xF2, 0xF2, 0xF6), QColor(0x74, 0x76, 0x80)};
const Colour Blue{QColor(0x3D, 0x63, 0xB5), QColor(0x86, 0xA8, 0xE8), QColor(0x1D, 0x32, 0x66)};
const Colour Pink{QColor(0xE6, 0x8D, 0xB2), QColor(0xFA, 0xC8, 0xDC), QColor(0x9A, 0x4A, 0x6C)};
const Colour Purple{QColor(0x6E, 0x4C, 0xA3), QColor(0xAA, 0x8C, 0xD8), QColor(0x37, 0x22, 0x59)};

// The short cap: over every crown, down to the sideburns.
const QList<Point> ShortCap = {{{0, 11}},        {{54, 13}},  {{82, 32}},
                               {{92, 62}},       {{93, 92}},  {{89, 112}, 0.4},
                               {{76, 114}, 0.4}, {{56, 106}}, {{0, 106}}};
// Hair to the shoulders; the box stops at y 200, so the ends turn in above it.
const QList<Point> LongCap = {{{0, 10}},   {{56, 12}},  {{85, 34}},       {{93, 72}},
                              {{93, 120}}, {{93, 170}}, {{90, 193}, 0.4}, {{76, 197}, 0.4},
                              {{62, 190}}, {{0, 190}}};

QPainterPath symmetric(const QList<Point> &rightHalf)
{
    return SmoothCurve::closed(SmoothCurve::mirrored(rightHalf, CentreX));
}

// The part of the head the hair leaves bare: below `edge` (given left to
// right, down the left side of the face, across the fringe and down the
// right) and down to below the box.
QPainterPath window(const QList<Point> &edge)
{
    QPainterPath path = SmoothCurve::open(edge);
    path.lineTo(edge.back().at.x(), 230);
    path.lineTo(edge.front().at.x(), 230);
    path.closeSubpath();
    return path;
}

// The usual window: straight sides `side` from the axis, a fringe whose
// lowest point lies at `fringeY`, curving up at the temples.
QPainterPath plainWindow(qreal fringeY, qreal side = 52)
{
    const qreal l = CentreX - side, r = CentreX + side;
    return window({{{l, 230}},
                   {{l, 110}},
                   {{l + 3, 86}},
                   {{l + 16, fringeY - 4}},
                   {{CentreX, fringeY}},
                   {{r - 16, fringeY - 4}},
                   {{r - 3, 86}},
                   {{r, 110}},
                   {{r, 230}}});
}

// A lighter band across the crown, where the light from the upper left falls.
QPainterPath crownShine(qreal top = 30, qreal width = 132)
{
    QPainterPath path;
    const QRectF ring(CentreX - width / 2, top, width, 120);
    path.arcMoveTo(ring, 155);
    path.arcTo(ring, 155, -70);
    return path;
}

QPainterPath curve(const QList<QPointF> &points)
{
    QList<Point> p;
    for (const QPointF &at : points)
        p.append({at});
    return SmoothCurve::open(p);
}

struct Strokes
{
    QList<QPainterPath> strands;
    QPainterPath shine = crownShine();
    qreal shineWidth = 7;
};

void paint(QPainter &p, const QPainterPath &shape, const Colour &c, const Strokes &s = {})
{
    QLinearGradient fill(0, 0, 0, 200);
    fill.setColorAt(0, c.base.lighter(106));
    fill.setColorAt(1, c.base.darker(112));
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(shape);

    p.save();
    p.setClipPath(shape);
    QColor shine = c.shine;
    shine.setAlpha(170);
    p.setPen(roundPen(shine, s.shineWidth));
    p.setBrush(Qt::NoBrush);
    p.drawPath(s.shine);
    QColor strand = c.line;
    strand.setAlpha(150);
    p.setPen(roundPen(strand, 1.3));
    for (const QPainterPath &path : s.strands)
        p.drawPath(path);
    p.restore();

    p.setPen(roundPen(c.line, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
}

QPainterPath circle(QPointF centre, qreal r)
{
    QPainterPath path;
    path.addEllipse(centre, r, r);
    return path;
}

// Strands that fall from the crown towards the fringe, for the plain styles.
QList<QPainterPath> fallingStrands(qreal fringeY)
{
    return {curve({{112, 16}, {96, 34}, {88, fringeY - 8}}),
            curve({{128, 16}, {134, 38}, {142, fringeY - 6}}),
            curve({{96, 20}, {74, 42}, {66, 80}}), curve({{146, 22}, {168, 44}, {176, 82}})};
}

void drawShortNeat(QPainter &p)
{
    const QPainterPath bare = window({{{68, 230}},
                                      {{68, 110}},
                                      {{70, 86}},
                                      {{82, 68}},
                                      {{102, 64}},
                                      {{126, 72}, 0.6},
                                      {{150, 62}},
                                      {{167, 72}},
                                      {{172, 92}},
                                      {{172, 110}},
                                      {{172, 230}}});
    Strokes s;
    s.strands = {curve({{104, 14}, {112, 40}, {126, 70}}), curve({{100, 26}, {92, 46}, {84, 66}}),
                 curve({{136, 22}, {150, 40}, {156, 60}}), curve({{90, 22}, {72, 40}, {64, 70}})};
    paint(p, symmetric(ShortCap).subtracted(bare), Black, s);
}

void drawBob(QPainter &p)
{
    const QList<Point> cap = {{{0, 9}},         {{56, 12}},  {{86, 36}},
                              {{93, 80}},       {{93, 130}}, {{90, 160}, 0.6},
                              {{80, 171}, 0.6}, {{62, 164}}, {{0, 150}}};
    const QPainterPath bare = window({{{70, 230}},
                                      {{68, 166}, 0.5},
                                      {{70, 110}},
                                      {{72, 86}},
                                      {{84, 74}},
                                      {{120, 76}},
                                      {{156, 74}},
                                      {{168, 86}},
                                      {{170, 110}},
                                      {{172, 166}, 0.5},
                                      {{170, 230}}});
    Strokes s;
    s.strands = fallingStrands(76);
    s.strands << curve({{40, 90}, {36, 130}, {48, 162}})
              << curve({{200, 90}, {204, 130}, {192, 162}})
              << curve({{104, 40}, {100, 60}, {102, 74}})
              << curve({{138, 40}, {140, 60}, {138, 74}});
    paint(p, symmetric(cap).subtracted(bare), Brown, s);
}

// A point on a rounded-square dome about (CentreX, cy), angle a in degrees
// (0 right, 90 up). Squarer than an ellipse so it also covers the widest
// temples.
QPointF domePoint(qreal a, qreal cy, qreal rx, qreal ry, qreal exponent = 2.6)
{
    const qreal c = qCos(qDegreesToRadians(a)), s = qSin(qDegreesToRadians(a));
    const auto lift = [exponent](qreal v) {
        return std::copysign(std::pow(std::abs(v), 2.0 / exponent), v);
    };
    return {CentreX + rx * lift(c), cy - ry * lift(s)};
}

// Spikes around a dome: `tips` of them, reaching `reach` beyond it.
QList<Point> spikyCrown(int tips, qreal reach, qreal lean)
{
    QList<Point> points;
    for (int i = 0; i <= tips; ++i) {
        const qreal notch = 180.0 - 180.0 * i / tips;
        points.append({domePoint(notch, 100, 90, 88), 0.6});
        if (i == tips)
            break;
        const qreal tip = notch - 90.0 / tips + lean;
        const QPointF base = domePoint(tip, 100, 90, 88);
        const QPointF out = (base - QPointF(CentreX, 100)) / 88.0;
        QPointF at = base + out * reach;
        at.setX(qBound(28.0, at.x(), 212.0));
        at.setY(qMax(2.0, at.y()));
        points.append({at, 0.0});
    }
    return points;
}

void drawSpiky(QPainter &p)
{
    QList<Point> shape = spikyCrown(9, 16, 0);
    // Sideburn spikes pointing down, then across behind the face.
    shape.append(
        {{{202, 114}, 0.0}, {{186, 104}}, {{CentreX, 104}}, {{54, 104}}, {{38, 114}, 0.0}});
    const QPainterPath bare = window({{{68, 230}},
                                      {{68, 108}},
                                      {{72, 84}, 0.0},
                                      {{84, 62}, 0.0},
                                      {{92, 78}, 0.0},
                                      {{104, 60}, 0.0},
                                      {{114, 78}, 0.0},
                                      {{124, 60}, 0.0},
                                      {{134, 78}, 0.0},
                                      {{144, 60}, 0.0},
                                      {{154, 78}, 0.0},
                                      {{162, 62}, 0.0},
                                      {{170, 84}, 0.0},
                                      {{172, 108}},
                                      {{172, 230}}});
    Strokes s;
    s.strands = {curve({{120, 60}, {120, 40}, {118, 20}}), curve({{96, 60}, {88, 44}, {74, 30}}),
                 curve({{146, 60}, {154, 44}, {168, 30}})};
    paint(p, SmoothCurve::closed(shape).subtracted(bare), Blond, s);
}

void drawLong(QPainter &p)
{
    const QPainterPath bare = window({{{62, 230}},
                                      {{62, 192}},
                                      {{66, 140}},
                                      {{68, 104}},
                                      {{74, 80}},
                                      {{92, 60}},
                                      {{112, 50}},
                                      {{120, 44}, 0.3},
                                      {{128, 50}},
                                      {{148, 60}},
                                      {{166, 80}},
                                      {{172, 104}},
                                      {{174, 140}},
                                      {{178, 192}},
                                      {{178, 230}}});
    Strokes s;
    s.strands = {
        curve({{118, 14}, {100, 40}, {80, 74}}), curve({{122, 14}, {140, 40}, {160, 74}}),
        curve({{52, 70}, {44, 130}, {48, 188}}), curve({{188, 70}, {196, 130}, {192, 188}}),
        curve({{36, 90}, {34, 140}, {38, 190}}), curve({{204, 90}, {206, 140}, {202, 190}})};
    paint(p, symmetric(LongCap).subtracted(bare), Black, s);
}

void drawBun(QPainter &p)
{
    const QList<Point> cap = {{{0, 16}},  {{54, 18}},       {{82, 36}},       {{92, 64}},
                              {{93, 92}}, {{88, 110}, 0.4}, {{74, 112}, 0.4}, {{0, 104}}};
    const QPainterPath bare = window({{{68, 230}},
                                      {{68, 108}},
                                      {{69, 88}},
                                      {{78, 66}},
                                      {{98, 54}},
                                      {{120, 50}},
                                      {{142, 54}},
                                      {{162, 66}},
                                      {{171, 88}},
                                      {{172, 108}},
                                      {{172, 230}}});
    const QPainterPath head = symmetric(cap).subtracted(bare);
    Strokes s;
    // Combed back: strands run up from the hairline to the bun.
    s.strands = {curve({{92, 58}, {100, 34}, {112, 20}}), curve({{148, 58}, {140, 34}, {128, 20}}),
                 curve({{72, 74}, {78, 44}, {100, 24}}), curve({{168, 74}, {162, 44}, {140, 24}})};
    paint(p, head, Chestnut, s);

    Strokes bunStrokes;
    bunStrokes.shine = curve({{108, 12}, {114, 6}, {124, 5}});
    bunStrokes.shineWidth = 4;
    bunStrokes.strands = {curve({{106, 20}, {120, 12}, {134, 20}})};
    paint(p, circle({CentreX, 19}, 16), Chestnut, bunStrokes);
    // The band that holds it.
    p.setPen(roundPen(QColor(0xD9, 0x4A, 0x5A), 3.2));
    p.drawLine(QPointF(106, 32), QPointF(134, 32));
}

void drawBaldSides(QPainter &p)
{
    const QList<Point> patch = {{{172, 66}},  {{190, 58}},  {{206, 65}},  {{213, 86}},
                                {{213, 112}}, {{203, 130}}, {{187, 124}}, {{175, 104}}};
    Strokes s;
    s.shine = QPainterPath();
    s.strands = {curve({{184, 74}, {200, 90}, {204, 118}}), curve({{56, 74}, {40, 90}, {36, 118}})};
    QPainterPath both = SmoothCurve::closed(patch);
    both.addPath(SmoothCurve::closed(SmoothCurve::reflected(patch, CentreX)));
    paint(p, both, Grey, s);
}

void drawHime(QPainter &p)
{
    const QList<Point> cap = {{{0, 10}},   {{56, 12}},       {{85, 34}},       {{93, 72}},
                              {{93, 120}}, {{93, 195}, 0.0}, {{58, 195}, 0.0}, {{0, 195}}};
    const QPainterPath bare = window({{{60, 230}},
                                      {{60, 170}, 0.0},
                                      {{70, 170}, 0.0},
                                      {{70, 76}, 0.0},
                                      {{170, 76}, 0.0},
                                      {{170, 170}, 0.0},
                                      {{180, 170}, 0.0},
                                      {{180, 230}}});
    Strokes s;
    s.strands = {curve({{100, 30}, {96, 56}, {96, 74}}), curve({{140, 30}, {144, 56}, {144, 74}}),
                 curve({{120, 24}, {120, 50}, {120, 74}}), curve({{46, 80}, {42, 140}, {44, 192}}),
                 curve({{194, 80}, {198, 140}, {196, 192}})};
    paint(p, symmetric(cap).subtracted(bare), BlueBlack, s);
}

void drawSidePonytail(QPainter &p)
{
    const QPainterPath bare = window({{{68, 230}},
                                      {{68, 110}},
                                      {{70, 88}},
                                      {{80, 68}},
                                      {{100, 56}},
                                      {{124, 62}},
                                      {{150, 72}},
                                      {{166, 76}},
                                      {{172, 92}},
                                      {{172, 110}},
                                      {{172, 230}}});
    Strokes s;
    s.strands = {curve({{92, 22}, {120, 34}, {160, 70}}), curve({{84, 30}, {110, 48}, {140, 66}}),
                 curve({{96, 16}, {80, 40}, {70, 76}})};
    paint(p, symmetric(ShortCap).subtracted(bare), Red, s);

    const QPainterPath tail = SmoothCurve::closed({{{190, 66}},
                                                   {{210, 72}},
                                                   {{221, 108}},
                                                   {{218, 156}},
                                                   {{206, 196}, 0.0},
                                                   {{199, 158}},
                                                   {{193, 118}},
                                                   {{186, 86}}});
    Strokes t;
    t.shine = curve({{204, 84}, {210, 110}, {210, 140}});
    t.shineWidth = 4;
    t.strands = {curve({{198, 90}, {206, 130}, {206, 180}}),
                 curve({{208, 86}, {214, 120}, {212, 160}})};
    paint(p, tail, Red, t);
    p.setPen(roundPen(QColor(0x3E, 0x9E, 0x6A), 4.0));
    p.drawLine(QPointF(189, 76), QPointF(209, 80));
}

// Shapes of many small round curls.
QPainterPath curls(const QList<QPointF> &centres, qreal r)
{
    QPainterPath all;
    for (const QPointF &c : centres)
        all = all.united(circle(c, r));
    return all;
}

void drawCurly(QPainter &p)
{
    QList<QPointF> rim;
    for (int i = 0; i <= 14; ++i)
        rim.append(domePoint(195.0 - 210.0 * i / 14, 98, 80, 84));
    const QList<Point> cap = {{{0, 18}},  {{52, 20}},       {{80, 38}},       {{88, 66}},
                              {{88, 96}}, {{84, 118}, 0.4}, {{70, 120}, 0.4}, {{0, 110}}};
    QPainterPath hair = symmetric(cap).united(curls(rim, 12));
    const QPainterPath bare = plainWindow(64);
    hair = hair.subtracted(bare);
    QList<QPointF> fringe;
    for (int i = 0; i < 7; ++i)
        fringe.append({78.0 + 14.0 * i, i % 2 ? 64.0 : 62.0});
    fringe << QPointF(64, 96) << QPointF(176, 96) << QPointF(62, 112) << QPointF(178, 112);
    hair = hair.united(curls(fringe, 11));

    Strokes s;
    s.shine = crownShine(34, 124);
    for (const QPointF &c : rim + fringe) {
        QPainterPath ring;
        ring.arcMoveTo(QRectF(c - QPointF(6, 6), QSizeF(12, 12)), 200);
        ring.arcTo(QRectF(c - QPointF(6, 6), QSizeF(12, 12)), 200, 220);
        s.strands.append(ring);
    }
    paint(p, hair, DarkBrown, s);
}

void drawMessy(QPainter &p)
{
    QList<Point> shape = spikyCrown(7, 14, 12);
    shape.append(
        {{{204, 112}, 0.0}, {{186, 104}}, {{CentreX, 104}}, {{54, 104}}, {{40, 116}, 0.0}});
    const QPainterPath bare = window({{{68, 230}},
                                      {{68, 108}},
                                      {{72, 82}},
                                      {{86, 64}},
                                      {{98, 77}, 0.0},
                                      {{104, 60}},
                                      {{120, 78}, 0.0},
                                      {{126, 60}},
                                      {{144, 76}, 0.0},
                                      {{150, 58}},
                                      {{166, 72}, 0.0},
                                      {{172, 90}},
                                      {{172, 108}},
                                      {{172, 230}}});
    Strokes s;
    s.strands = {curve({{100, 24}, {110, 44}, {118, 70}}), curve({{136, 22}, {140, 44}, {142, 68}}),
                 curve({{78, 40}, {84, 58}, {94, 70}})};
    paint(p, SmoothCurve::closed(shape).subtracted(bare), Blue, s);
}

void drawWavy(QPainter &p)
{
    const QList<Point> cap = {{{0, 9}},         {{56, 12}},  {{86, 36}},  {{93, 70}},
                              {{91, 100}},      {{93, 128}}, {{88, 156}}, {{93, 180}},
                              {{86, 197}, 0.5}, {{70, 190}}, {{0, 188}}};
    const QPainterPath bare = window({{{68, 230}},
                                      {{66, 196}},
                                      {{60, 170}},
                                      {{68, 140}},
                                      {{64, 110}},
                                      {{70, 84}},
                                      {{82, 64}},
                                      {{100, 52}, 0.3},
                                      {{124, 62}},
                                      {{148, 68}},
                                      {{166, 82}},
                                      {{172, 110}},
                                      {{176, 140}},
                                      {{180, 170}},
                                      {{174, 196}},
                                      {{172, 230}}});
    Strokes s;
    s.strands = {curve({{100, 16}, {98, 34}, {100, 52}}),
                 curve({{106, 18}, {130, 40}, {160, 76}}),
                 curve({{46, 80}, {38, 110}, {46, 140}, {40, 170}, {48, 192}}),
                 curve({{194, 80}, {202, 110}, {194, 140}, {200, 170}, {192, 192}}),
                 curve({{34, 100}, {30, 130}, {36, 160}, {32, 186}}),
                 curve({{206, 100}, {210, 130}, {204, 160}, {208, 186}})};
    paint(p, symmetric(cap).subtracted(bare), Blond, s);
}

void drawAfro(QPainter &p)
{
    QList<QPointF> rim;
    for (int i = 0; i <= 18; ++i)
        rim.append(domePoint(200.0 - 220.0 * i / 18, 88, 81, 74, 2.4));
    const QPainterPath body = SmoothCurve::closed(SmoothCurve::mirrored(
        {{{0, 14}}, {{60, 17}}, {{82, 40}}, {{88, 80}}, {{86, 132}}, {{74, 144}}, {{0, 130}}},
        CentreX));
    QPainterPath hair = body.united(curls(rim, 11)).subtracted(plainWindow(66));
    QList<QPointF> fringe;
    for (int i = 0; i < 6; ++i)
        fringe.append({85.0 + 14.0 * i, 64.0});
    hair = hair.united(curls(fringe, 10));

    Strokes s;
    s.shine = crownShine(28, 136);
    s.shineWidth = 9;
    for (int i = 0; i < 26; ++i) {
        const QPointF c =
            domePoint(190.0 - 200.0 * (i % 13) / 12, 88, i < 13 ? 62 : 40, i < 13 ? 56 : 36, 2.4);
        QPainterPath ring;
        ring.arcMoveTo(QRectF(c - QPointF(5, 5), QSizeF(10, 10)), 30);
        ring.arcTo(QRectF(c - QPointF(5, 5), QSizeF(10, 10)), 30, 200);
        s.strands.append(ring);
    }
    paint(p, hair, Black, s);
}

void drawSideSwept(QPainter &p)
{
    const QPainterPath bare = window({{{68, 230}},
                                      {{68, 110}},
                                      {{69, 86}},
                                      {{80, 60}},
                                      {{92, 48}, 0.3},
                                      {{112, 54}},
                                      {{140, 58}},
                                      {{162, 66}},
                                      {{171, 86}},
                                      {{172, 110}},
                                      {{172, 230}}});
    Strokes s;
    // The parting, and the hair combed across from it.
    s.strands = {curve({{92, 48}, {94, 30}, {98, 14}}), curve({{98, 24}, {130, 30}, {160, 56}}),
                 curve({{96, 36}, {126, 42}, {152, 60}}), curve({{82, 30}, {70, 48}, {66, 80}})};
    s.shine = curve({{104, 20}, {140, 28}, {170, 52}});
    paint(p, symmetric(ShortCap).subtracted(bare), Silver, s);
}

void drawTwinBuns(QPainter &p)
{
    const QList<Point> cap = {{{0, 14}},        {{54, 16}},  {{82, 34}},
                              {{92, 62}},       {{93, 96}},  {{89, 118}, 0.4},
                              {{76, 120}, 0.4}, {{56, 110}}, {{0, 110}}};
    Strokes s;
    s.strands = fallingStrands(72);
    paint(p, symmetric(cap).subtracted(plainWindow(74)), Pink, s);
    // The buns sit on the cap, high at either side.
    Strokes buns;
    buns.shineWidth = 4;
    for (const qreal x : {58.0, 182.0}) {
        buns.shine = curve({{x - 11, 20}, {x - 6, 13}, {x + 2, 11}});
        buns.strands = {curve({{x - 9, 30}, {x, 23}, {x + 9, 30}})};
        paint(p, circle({x, 25}, 18), Pink, buns);
    }
}

void drawQuiff(QPainter &p)
{
    // The cap sits lower than the others so the quiff can stand up off it.
    const QList<Point> cap = {{{0, 22}},        {{54, 23}},  {{82, 38}},
                              {{92, 64}},       {{93, 92}},  {{89, 112}, 0.4},
                              {{76, 114}, 0.4}, {{56, 106}}, {{0, 106}}};
    const QPainterPath quiff = SmoothCurve::closed({{{70, 54}},
                                                    {{74, 26}},
                                                    {{96, 8}},
                                                    {{130, 2}},
                                                    {{164, 8}},
                                                    {{182, 24}, 0.2},
                                                    {{164, 24}},
                                                    {{140, 28}},
                                                    {{110, 40}}});
    const QPainterPath bare = window({{{68, 230}},
                                      {{68, 110}},
                                      {{70, 84}},
                                      {{80, 62}},
                                      {{100, 52}},
                                      {{124, 50}},
                                      {{148, 54}},
                                      {{164, 64}},
                                      {{172, 86}},
                                      {{172, 110}},
                                      {{172, 230}}});
    const QPainterPath hair = symmetric(cap).united(quiff).subtracted(bare);
    Strokes s;
    s.shine = curve({{86, 24}, {110, 10}, {146, 8}});
    s.strands = {curve({{80, 44}, {96, 16}, {140, 6}}), curve({{96, 46}, {118, 22}, {170, 18}}),
                 curve({{70, 76}, {72, 50}, {84, 36}}), curve({{170, 76}, {168, 50}, {160, 36}})};
    paint(p, hair, Ginger, s);
}

void drawCentrePart(QPainter &p)
{
    const QList<Point> cap = {{{0, 10}},   {{56, 12}},  {{85, 34}},       {{92, 72}},
                              {{91, 120}}, {{92, 150}}, {{93, 167}, 0.3}, {{80, 166}, 0.5},
                              {{64, 160}}, {{0, 150}}};
    const QPainterPath bare = window({{{68, 230}},
                                      {{68, 160}},
                                      {{68, 116}},
                                      {{72, 90}},
                                      {{86, 66}},
                                      {{106, 52}},
                                      {{120, 44}, 0.2},
                                      {{134, 52}},
                                      {{154, 66}},
                                      {{168, 90}},
                                      {{172, 116}},
                                      {{172, 160}},
                                      {{172, 230}}});
    Strokes s;
    s.strands = {curve({{120, 14}, {120, 30}, {120, 44}}), curve({{116, 24}, {92, 44}, {76, 80}}),
                 curve({{124, 24}, {148, 44}, {164, 80}}), curve({{48, 80}, {40, 120}, {30, 164}}),
                 curve({{192, 80}, {200, 120}, {210, 164}})};
    paint(p, symmetric(cap).subtracted(bare), Purple, s);
}

using Painter = void (*)(QPainter &);
const Painter Designs[] = {
    drawShortNeat, drawBob,          drawSpiky, drawLong,       drawBun,  drawBaldSides,
    drawHime,      drawSidePonytail, drawCurly, drawMessy,      drawWavy, drawAfro,
    drawSideSwept, drawTwinBuns,     drawQuiff, drawCentrePart,
};

} // namespace

namespace HairArt {

int count()
{
    return int(std::size(Designs));
}

void paint(QPainter &painter, int index)
{
    Designs[index](painter);
}

} // namespace HairArt
