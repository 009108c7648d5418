#include "output/CardPainter.h"

#include "document/FaceCode.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <algorithm>
#include <cmath>
#include <exception>

using namespace Qt::StringLiterals;

namespace CardPainter {

namespace {

constexpr double CardWidthMm = twipsToMm(WidthTwips);
constexpr double CardHeightMm = twipsToMm(HeightTwips);
constexpr double CodeLineTopMm = twipsToMm(CodeLineTopTwips);

constexpr double MarkLengthMm = 2.0;
constexpr double MarkWidthMm = 0.2;

constexpr double CodeLinePoints = 9.0;
constexpr double CodeLineLeftMm = 2.0;
constexpr double ColumnWidthMm = 32.4;
constexpr double BarsTopMm = 9.4;
constexpr double BarsHeightMm = 18.4;
constexpr double CodeUnderBarsTopMm = 28.4;
constexpr double CodeUnderBarsPoints = 8.0;
constexpr double NotePoints = 7.0;
constexpr double NoteMarginMm = 0.8;

constexpr double FaceRightMm = 56.6;
constexpr double FaceTopMm = 9.4;
constexpr double FaceBottomLimitMm = 34.6; // clear of the lower cut marks
constexpr double FaceGapMm = 0.6;
constexpr double SmallestFaceWidthMm = 12.0;

// Millimetres in the device's dots, across and down.
struct Dots
{
    double perMmX;
    double perMmY;
    double x(double mm) const { return mm * perMmX; }
    double y(double mm) const { return mm * perMmY; }
};

QFont cardFont(double points)
{
    QFont font;
    font.setFamilies({u"IPAPGothic"_s, u"IPAGothic"_s});
    font.setPointSizeF(points);
    return font;
}

void drawCutMarks(QPainter &painter, const Dots &d, const QRectF &card)
{
    const double length = d.x(MarkLengthMm);
    const double across = std::max(1.0, d.x(MarkWidthMm));
    const double down = std::max(1.0, d.y(MarkWidthMm));
    const double lengthDown = d.y(MarkLengthMm);
    const QColor grey(0x80, 0x80, 0x80);
    for (const bool right : {false, true}) {
        for (const bool bottom : {false, true}) {
            const double x = right ? card.right() - length : card.left();
            const double y = bottom ? card.bottom() - down : card.top();
            painter.fillRect(QRectF(x, y, length, down), grey);
            const double xs = right ? card.right() - across : card.left();
            const double ys = bottom ? card.bottom() - lengthDown : card.top();
            painter.fillRect(QRectF(xs, ys, across, lengthDown), grey);
        }
    }
}

void drawCodeLine(QPainter &painter, const Dots &d, const QRectF &card, const QString &code)
{
    const QFont font = cardFont(CodeLinePoints);
    const QFontMetricsF metrics(font, painter.device());
    painter.setFont(font);
    painter.setPen(Qt::black);
    const double left = d.x(CodeLineLeftMm);
    const QString shown = metrics.elidedText(code, Qt::ElideRight, card.width() - 2 * left);
    painter.drawText(
        QPointF(card.left() + left, card.top() + d.y(CodeLineTopMm) + metrics.ascent()), shown);
}

void drawNote(QPainter &painter, const QRectF &box, const QString &note)
{
    painter.setFont(cardFont(NotePoints));
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, note);
}

} // namespace

QList<bool> barcodeModules(const QString &code)
{
    if (!FaceCode::isCardCode(code))
        return {};
    try {
        const ZXing::BitMatrix bars = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::Code128)
                                          .setMargin(0)
                                          .encode(code.toStdString(), 0, 1);
        QList<bool> modules(bars.width());
        for (int x = 0; x < bars.width(); ++x)
            modules[x] = bars.get(x, 0);
        return modules;
    } catch (const std::exception &) {
        return {};
    }
}

void paint(QPainter &painter, const Card &card)
{
    const QPaintDevice *device = painter.device();
    if (!device)
        return;
    const Dots d{device->logicalDpiX() / 25.4, device->logicalDpiY() / 25.4};
    const QRectF cardRect(0, 0, d.x(CardWidthMm), d.y(CardHeightMm));

    painter.save();
    painter.setClipRect(cardRect, Qt::IntersectClip);
    painter.fillRect(cardRect, Qt::white);
    drawCutMarks(painter, d, cardRect);
    drawCodeLine(painter, d, cardRect, card.faceCode);

    // The barcode: whole dots a module, centred in its column with its quiet
    // zones. The column widens for a device whose dots are coarse, as long as
    // the face keeps a width that shows it.
    const QList<bool> modules = barcodeModules(card.faceCode);
    const int moduleDots =
        std::max({1, int(std::ceil(d.x(MinimumModuleMm) - 1e-9)), int(std::lround(d.x(ModuleMm)))});
    const int symbolDots = int(modules.size() + 2 * QuietZoneModules) * moduleDots;
    const double widestColumn = d.x(FaceRightMm - FaceGapMm - SmallestFaceWidthMm);
    double column = d.x(ColumnWidthMm);
    QString note;
    if (modules.isEmpty()) {
        note = u"バーコードは、4 つの部品がそろい、どれもフォルダーの 100 番目までにある顔にだけ"
               u"付きます。"_s;
    } else if (symbolDots > widestColumn) {
        note = u"このプリンターの解像度では、読み取れるバーコードを描けません。"_s;
    } else {
        column = std::max(column, double(symbolDots));
    }

    if (note.isEmpty()) {
        const int left =
            int(std::lround(column / 2 - symbolDots / 2.0)) + QuietZoneModules * moduleDots;
        const int top = int(std::lround(d.y(BarsTopMm)));
        const int height = int(std::lround(d.y(BarsHeightMm)));
        for (qsizetype i = 0; i < modules.size();) {
            qsizetype end = i;
            while (end < modules.size() && modules[end] == modules[i])
                ++end;
            if (modules[i])
                painter.fillRect(
                    QRect(left + int(i) * moduleDots, top, int(end - i) * moduleDots, height),
                    Qt::black);
            i = end;
        }
        const QFont font = cardFont(CodeUnderBarsPoints);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QRectF under(0, d.y(CodeUnderBarsTopMm), column,
                           QFontMetricsF(font, device).height());
        painter.drawText(under, Qt::AlignHCenter | Qt::AlignTop, card.faceCode);
    } else {
        const QRectF box(d.x(NoteMarginMm), d.y(BarsTopMm), column - 2 * d.x(NoteMarginMm),
                         d.y(CodeUnderBarsTopMm + 3.0 - BarsTopMm));
        drawNote(painter, box, note);
    }

    // The face, in its own proportions, in the room right of the column: one
    // opaque picture, so that nothing on the page is see-through. A PDF page
    // with transparency on it reaches a PostScript printer as a single
    // picture of the whole page, bars and texts included.
    double faceWidthMm = FaceRightMm - FaceGapMm - column / d.perMmX;
    double faceHeightMm = faceWidthMm * Composite::SurfaceHeight / Composite::SurfaceWidth;
    if (FaceTopMm + faceHeightMm > FaceBottomLimitMm) {
        faceHeightMm = FaceBottomLimitMm - FaceTopMm;
        faceWidthMm = faceHeightMm * Composite::SurfaceWidth / Composite::SurfaceHeight;
    }
    // The picture has the device's own dots, whole ones (a drawing among the
    // parts is drawn at the printer's resolution), and lands on them one for
    // one.
    const QRect face =
        QRectF(d.x(FaceRightMm - faceWidthMm), d.y(FaceTopMm), d.x(faceWidthMm), d.y(faceHeightMm))
            .toRect();
    const QSize dots = painter.deviceTransform().mapRect(QRectF(face)).toRect().size();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(face, Composite::picture(card.layers, dots.expandedTo({1, 1})));
    painter.restore();

    painter.restore();
}

} // namespace CardPainter
