#include "tools/partsgen/SvgDrawing.h"

#include <QPaintEngine>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QTransform>

#include <climits>
#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Coordinates to a hundredth of a pixel: finer than any screen shows at
// four times the size, and short to write.
qint64 hundredths(qreal value)
{
    return std::llround(value * 100);
}

// A number of hundredths as SVG writes it shortest: "1.5", "-.05", "12".
QString decimal(qint64 count)
{
    const qint64 whole = std::abs(count) / 100, part = std::abs(count) % 100;
    QString text = count < 0 ? u"-"_s : QString();
    if (whole != 0 || part == 0)
        text += QString::number(whole);
    if (part % 10 != 0)
        text += u'.' + QString::number(part).rightJustified(2, u'0');
    else if (part != 0)
        text += u'.' + QString::number(part / 10);
    return text;
}

QString number(qreal value)
{
    return decimal(hundredths(value));
}

// Path data written small: moves absolute, lines and curves relative to the
// point they start from, a command letter only where it changes, and closed
// subpaths ended with "Z" so that a stroke joins where they start instead of
// capping both ends.
class PathData
{
public:
    explicit PathData(const QPainterPath &path)
    {
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            if (e.type == QPainterPath::MoveToElement) {
                command(u'M');
                m_start = {hundredths(e.x), hundredths(e.y)};
                m_at = m_start;
                add(m_start.first);
                add(m_start.second);
            } else if (e.type == QPainterPath::LineToElement) {
                command(u'l');
                to(e, true);
            } else {
                command(u'c');
                to(e, false);
                to(path.elementAt(i + 1), false);
                to(path.elementAt(i + 2), true);
                i += 2;
            }
            const bool ends = i + 1 == path.elementCount() ||
                              path.elementAt(i + 1).type == QPainterPath::MoveToElement;
            if (ends && e.type != QPainterPath::MoveToElement && m_at == m_start)
                command(u'Z');
        }
    }

    QString text() const { return m_text; }

private:
    void command(QChar letter)
    {
        if (letter != m_command || letter == u'M' || letter == u'Z') {
            m_text += letter;
            m_fresh = true;
        }
        m_command = letter;
    }
    void add(qint64 value)
    {
        const QString written = decimal(value);
        if (!m_fresh && !written.startsWith(u'-'))
            m_text += u' ';
        m_text += written;
        m_fresh = false;
    }
    // A point relative to the current one; `moves` makes it the current one.
    void to(const QPointF &p, bool moves)
    {
        const std::pair<qint64, qint64> next{hundredths(p.x()), hundredths(p.y())};
        add(next.first - m_at.first);
        add(next.second - m_at.second);
        if (moves)
            m_at = next;
    }

    QString m_text;
    QChar m_command;
    bool m_fresh = true;
    std::pair<qint64, qint64> m_start, m_at;
};

QString pathData(const QPainterPath &path)
{
    return PathData(path).text();
}

QString colour(const QColor &c)
{
    return c.name(QColor::HexRgb);
}

// Whether a transform turns a circle into a circle (moves, turns, mirrors
// and scales alike in both directions): a stroke under it stays a stroke,
// its width scaled.
bool keepsCircles(const QTransform &t)
{
    const auto same = [](qreal a, qreal b) {
        return std::abs(a - b) <= 1e-9 * qMax(1.0, std::abs(a));
    };
    return t.type() != QTransform::TxProject &&
           ((same(t.m11(), t.m22()) && same(t.m12(), -t.m21())) ||
            (same(t.m11(), -t.m22()) && same(t.m12(), t.m21())));
}

// The boolean operations of QPainterPath work on curves flattened to lines
// within half a unit; done on the shapes enlarged, the lines are short
// enough to look like the curves at any size the parts are drawn.
QPainterPath intersection(const QPainterPath &a, const QPainterPath &b)
{
    constexpr qreal Fine = 8;
    const QTransform up = QTransform::fromScale(Fine, Fine);
    return up.inverted().map(up.map(a).intersected(up.map(b)));
}

} // namespace

class SvgDrawing::Engine : public QPaintEngine
{
public:
    Engine() : QPaintEngine(AllFeatures) {}

    bool begin(QPaintDevice *) override
    {
        m_body.clear();
        m_clip.reset();
        m_transform.reset();
        m_usable = true;
        return true;
    }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState &changed) override
    {
        const DirtyFlags dirty = changed.state();
        if (dirty & DirtyTransform)
            m_transform = changed.transform();
        if (dirty & DirtyClipEnabled)
            m_clipEnabled = changed.isClipEnabled();
        if (dirty & DirtyClipRegion) {
            QPainterPath region;
            region.addRegion(changed.clipRegion());
            clipTo(region, changed.clipOperation());
        }
        if (dirty & DirtyClipPath)
            clipTo(changed.clipPath(), changed.clipOperation());
        if (dirty & DirtyCompositionMode)
            m_usable =
                m_usable && changed.compositionMode() == QPainter::CompositionMode_SourceOver;
        // The pen, brush, opacity and brush origin are read from the
        // painter's state as each shape is drawn.
    }

    void drawPath(const QPainterPath &path) override
    {
        fill(m_transform.map(path), state->brush());
        stroke(path);
    }

    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override
    {
        if (count < 2)
            return;
        QPainterPath path(points[0]);
        for (int i = 1; i < count; ++i)
            path.lineTo(points[i]);
        if (mode == PolylineMode) {
            stroke(path);
            return;
        }
        path.closeSubpath();
        path.setFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        drawPath(path);
    }

    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override { m_usable = false; }

    QByteArray document(QSize size) const
    {
        if (!m_usable)
            return {};
        const QString w = QString::number(size.width()), h = QString::number(size.height());
        return (u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.2\" baseProfile=\"tiny\" "
                "width=\"%1\" height=\"%2\" viewBox=\"0 0 %1 %2\">\n"_s.arg(w, h) +
                m_body + u"</svg>\n"_s)
            .toUtf8();
    }

private:
    void clipTo(const QPainterPath &path, Qt::ClipOperation operation)
    {
        if (operation == Qt::NoClip) {
            m_clip.reset();
            return;
        }
        const QPainterPath mapped = m_transform.map(path);
        m_clip = operation == Qt::IntersectClip && m_clip ? intersection(*m_clip, mapped) : mapped;
        m_clipEnabled = true;
    }

    bool clipped() const { return m_clipEnabled && m_clip.has_value(); }

    // The attributes that paint with `brush` as `what` ("fill" or
    // "stroke"), writing a gradient first when the brush is one.
    QString paint(const QBrush &brush, const QString &what)
    {
        const qreal opacity = state->opacity();
        switch (brush.style()) {
        case Qt::SolidPattern: {
            const qreal alpha = brush.color().alphaF() * opacity;
            return u" %1=\"%2\""_s.arg(what, colour(brush.color())) +
                   (alpha < 1 ? u" %1-opacity=\"%2\""_s.arg(what, number(alpha)) : QString());
        }
        case Qt::LinearGradientPattern:
        case Qt::RadialGradientPattern:
            if (brush.gradient()->coordinateMode() == QGradient::LogicalMode) {
                const QString id = gradient(brush);
                return u" %1=\"url(#%2)\""_s.arg(what, id) +
                       (opacity < 1 ? u" %1-opacity=\"%2\""_s.arg(what, number(opacity))
                                    : QString());
            }
            break;
        default:
            break;
        }
        m_usable = false;
        return {};
    }

    QString gradient(const QBrush &brush)
    {
        const QString id = u"g%1"_s.arg(++m_gradients);
        const QGradient &g = *brush.gradient();
        QString element;
        if (g.type() == QGradient::LinearGradient) {
            const auto &l = static_cast<const QLinearGradient &>(g);
            element = u"<linearGradient id=\"%1\" gradientUnits=\"userSpaceOnUse\" x1=\"%2\" "
                      "y1=\"%3\" x2=\"%4\" y2=\"%5\""_s.arg(
                          id, number(l.start().x()), number(l.start().y()),
                          number(l.finalStop().x()), number(l.finalStop().y()));
        } else {
            const auto &r = static_cast<const QRadialGradient &>(g);
            element = u"<radialGradient id=\"%1\" gradientUnits=\"userSpaceOnUse\" cx=\"%2\" "
                      "cy=\"%3\" r=\"%4\" fx=\"%5\" fy=\"%6\""_s.arg(
                          id, number(r.center().x()), number(r.center().y()), number(r.radius()),
                          number(r.focalPoint().x()), number(r.focalPoint().y()));
        }
        if (g.spread() != QGradient::PadSpread)
            element += u" spreadMethod=\"%1\""_s.arg(
                g.spread() == QGradient::ReflectSpread ? u"reflect"_s : u"repeat"_s);
        const QTransform t =
            brush.transform() *
            QTransform::fromTranslate(state->brushOrigin().x(), state->brushOrigin().y()) *
            m_transform;
        if (!t.isIdentity())
            element += u" gradientTransform=\"matrix(%1 %2 %3 %4 %5 %6)\""_s.arg(
                number(t.m11()), number(t.m12()), number(t.m21()), number(t.m22()), number(t.dx()),
                number(t.dy()));
        element += u">\n"_s;
        for (const QGradientStop &stop : g.stops()) {
            element += u"<stop offset=\"%1\" stop-color=\"%2\""_s.arg(number(stop.first),
                                                                      colour(stop.second));
            if (stop.second.alpha() < 255)
                element += u" stop-opacity=\"%1\""_s.arg(number(stop.second.alphaF()));
            element += u"/>\n"_s;
        }
        element += g.type() == QGradient::LinearGradient ? u"</linearGradient>\n"_s
                                                         : u"</radialGradient>\n"_s;
        m_body += element;
        return id;
    }

    // Fills a shape given in the drawing's own coordinates.
    void fill(const QPainterPath &shape, const QBrush &brush)
    {
        if (brush.style() == Qt::NoBrush || shape.isEmpty())
            return;
        const QPainterPath area =
            clipped() && !m_clip->contains(shape) ? intersection(shape, *m_clip) : shape;
        if (area.isEmpty())
            return;
        const QString attributes = paint(brush, u"fill"_s);
        m_body += u"<path d=\"%1\"%2%3/>\n"_s.arg(
            pathData(area), attributes,
            area.fillRule() == Qt::OddEvenFill ? u" fill-rule=\"evenodd\""_s : QString());
    }

    // Strokes a path given in the painter's coordinates with its pen.
    void stroke(const QPainterPath &path)
    {
        const QPen pen = state->pen();
        if (pen.style() == Qt::NoPen || path.isEmpty())
            return;
        const bool cosmetic = pen.isCosmetic();
        // What the pen covers, as a shape.
        QPainterPathStroker stroker(pen);
        QPainterPath covered;
        if (cosmetic) {
            stroker.setWidth(pen.widthF() > 0 ? pen.widthF() : 1);
            covered = stroker.createStroke(m_transform.map(path));
        } else {
            covered = m_transform.map(stroker.createStroke(path));
        }
        const bool wholeInClip = !clipped() || m_clip->contains(covered);
        if (wholeInClip && pen.style() == Qt::SolidLine &&
            (cosmetic || keepsCircles(m_transform))) {
            const qreal scale = cosmetic ? 1 : std::sqrt(std::abs(m_transform.determinant()));
            const qreal width = (pen.widthF() > 0 ? pen.widthF() : 1) * scale;
            static const QString caps[] = {u"butt"_s, u"square"_s, u"round"_s};
            const QString cap = caps[pen.capStyle() == Qt::SquareCap  ? 1
                                     : pen.capStyle() == Qt::RoundCap ? 2
                                                                      : 0];
            QString join = pen.joinStyle() == Qt::RoundJoin ? u"round"_s
                           : pen.joinStyle() == Qt::BevelJoin
                               ? u"bevel"_s
                               : u"miter\" stroke-miterlimit=\""_s + number(pen.miterLimit());
            const QString attributes = paint(pen.brush(), u"stroke"_s);
            m_body += u"<path d=\"%1\" fill=\"none\"%2 stroke-width=\"%3\" stroke-linecap=\"%4\" "
                      "stroke-linejoin=\"%5\"/>\n"_s.arg(pathData(m_transform.map(path)),
                                                         attributes, number(width), cap, join);
            return;
        }
        fill(covered, pen.brush());
    }

    QString m_body;
    QTransform m_transform;
    std::optional<QPainterPath> m_clip; // in the drawing's coordinates
    bool m_clipEnabled = false;
    bool m_usable = true;
    int m_gradients = 0;
};

SvgDrawing::SvgDrawing(QSize size) : m_size(size), m_engine(std::make_unique<Engine>()) {}

SvgDrawing::~SvgDrawing() = default;

QPaintEngine *SvgDrawing::paintEngine() const
{
    return m_engine.get();
}

QByteArray SvgDrawing::document() const
{
    return m_engine->document(m_size);
}

int SvgDrawing::metric(PaintDeviceMetric metric) const
{
    // The resolution of a QImage by default, so text is sized as on one.
    constexpr int Dpi = 96;
    switch (metric) {
    case PdmWidth:
        return m_size.width();
    case PdmHeight:
        return m_size.height();
    case PdmWidthMM:
        return qRound(m_size.width() * 25.4 / Dpi);
    case PdmHeightMM:
        return qRound(m_size.height() * 25.4 / Dpi);
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return Dpi;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    }
    return QPaintDevice::metric(metric);
}
