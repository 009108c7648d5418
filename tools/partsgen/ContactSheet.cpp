#include "tools/partsgen/ContactSheet.h"

#include "document/Composite.h"
#include "document/FaceParts.h"
#include "tools/partsgen/PartsLibrary.h"

#include <QFont>
#include <QPainter>
#include <QRandomGenerator>
#include <QSvgRenderer>

using namespace Qt::StringLiterals;

namespace {

constexpr int Margin = 20;
constexpr int Cell = 190;
constexpr int PerRow = 8;
constexpr int SheetWidth = 2 * Margin + PerRow * Cell;
constexpr int FacesPerRow = 6;
constexpr int FaceGap =
    (SheetWidth - 2 * Margin - FacesPerRow * Composite::SurfaceWidth) / (FacesPerRow - 1);
constexpr int LabelHeight = 22;
constexpr int HeadingHeight = 40;

struct Face
{
    int outline, eyes, hair, mouth;
};

// Combinations worth a look every time: the narrowest and widest heads
// under the fullest and the sparsest hair, the pointed chin with the
// biggest mouths, glasses under a blunt fringe.
const Face Extremes[] = {
    {6, 0, 11, 1}, {14, 5, 3, 7}, {3, 11, 10, 10}, {4, 12, 5, 15}, {13, 9, 6, 8},  {8, 7, 13, 4},
    {6, 3, 5, 5},  {14, 1, 2, 0}, {15, 14, 9, 12}, {4, 4, 7, 13},  {10, 15, 8, 6}, {6, 6, 0, 9},
};

QString categoryTitle(const PartsLibrary::Category &category)
{
    switch (category.prefix.unicode()) {
    case u'f':
        return category.folder + u" outlines"_s;
    case u'e':
        return category.folder + u" eyes"_s;
    case u'h':
        return category.folder + u" hair"_s;
    default:
        return category.folder + u" mouths"_s;
    }
}

// How much a part is enlarged or reduced to make a readable thumbnail.
qreal thumbnailScale(QSize part)
{
    const qreal room = Cell - 20;
    return qMin(room / part.width(), room / part.height());
}

void drawChecks(QPainter &p, const QRect &area)
{
    p.fillRect(area, QColor(0xF4, 0xF4, 0xF4));
    const int step = 10;
    for (int y = area.top(); y < area.bottom(); y += step) {
        for (int x = area.left() + ((y - area.top()) / step % 2) * step; x < area.right();
             x += 2 * step)
            p.fillRect(QRect(x, y, step, step).intersected(area), QColor(0xE6, 0xE6, 0xE6));
    }
}

int drawHeading(QPainter &p, int y, const QString &text)
{
    QFont font = p.font();
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0x30, 0x30, 0x30));
    p.drawText(QRect(Margin, y, SheetWidth - 2 * Margin, HeadingHeight),
               Qt::AlignLeft | Qt::AlignVCenter, text);
    return y + HeadingHeight;
}

void drawLabel(QPainter &p, const QRect &area, const QString &text)
{
    QFont font = p.font();
    font.setPixelSize(14);
    font.setBold(false);
    p.setFont(font);
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.drawText(area, Qt::AlignCenter, text);
}

int drawCategory(QPainter &p, int y, const QString &appDir, const PartsLibrary::Category &c)
{
    y = drawHeading(p, y, categoryTitle(c));
    const int count = c.count();
    for (int i = 0; i < count; ++i) {
        const QRect cell(Margin + (i % PerRow) * Cell, y + (i / PerRow) * (Cell + LabelHeight),
                         Cell - 10, Cell - 10);
        drawChecks(p, cell);
        // Enlarged from the drawing itself, so the sheet shows the parts as
        // sharp as they come out at that size.
        QSvgRenderer part(Composite::partPath(appDir, PartsLibrary::entry(c, i)));
        if (part.isValid()) {
            const QSizeF size = QSizeF(part.defaultSize()) * thumbnailScale(part.defaultSize());
            const QRectF target(cell.center().x() + 1 - size.width() / 2,
                                cell.center().y() + 1 - size.height() / 2, size.width(),
                                size.height());
            part.render(&p, target);
        }
        drawLabel(p, QRect(cell.left(), cell.bottom() + 1, cell.width(), LabelHeight),
                  PartsLibrary::fileName(c, i));
    }
    const int rows = (count + PerRow - 1) / PerRow;
    return y + rows * (Cell + LabelHeight) + 10;
}

int drawFaces(QPainter &p, int y, const QString &appDir, const QList<Face> &faces)
{
    const QList<PartsLibrary::Category> &c = PartsLibrary::categories();
    for (int i = 0; i < faces.size(); ++i) {
        const Face &f = faces[i];
        FaceParts parts;
        parts.Outline = PartsLibrary::entry(c[0], f.outline);
        parts.Eyes = PartsLibrary::entry(c[1], f.eyes);
        parts.Hair = PartsLibrary::entry(c[2], f.hair);
        parts.Mouth = PartsLibrary::entry(c[3], f.mouth);

        QImage surface(Composite::SurfaceWidth, Composite::SurfaceHeight, QImage::Format_RGB32);
        QPainter face(&surface);
        Composite::paint(face, Composite::loadLayers(appDir, parts));
        face.end();

        const QPoint at(Margin + (i % FacesPerRow) * (Composite::SurfaceWidth + FaceGap),
                        y + (i / FacesPerRow) * (Composite::SurfaceHeight + LabelHeight + 8));
        p.drawImage(at, surface);
        p.setPen(QColor(0xC8, 0xC8, 0xC8));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(at, surface.size()).adjusted(-1, -1, 0, 0));
        const QString label = u"%1 %2 %3 %4"_s.arg(
            PartsLibrary::fileName(c[0], f.outline), PartsLibrary::fileName(c[1], f.eyes),
            PartsLibrary::fileName(c[2], f.hair), PartsLibrary::fileName(c[3], f.mouth));
        drawLabel(
            p,
            QRect(at.x(), at.y() + Composite::SurfaceHeight, Composite::SurfaceWidth, LabelHeight),
            label);
    }
    const int rows = int((faces.size() + FacesPerRow - 1) / FacesPerRow);
    return y + rows * (Composite::SurfaceHeight + LabelHeight + 8) + 10;
}

QList<Face> randomFaces(int n)
{
    const QList<PartsLibrary::Category> &c = PartsLibrary::categories();
    QRandomGenerator random(0x6b616f); // fixed, so the sheet never changes by itself
    QList<Face> faces;
    for (int i = 0; i < n; ++i) {
        Face f;
        f.outline = int(random.bounded(c[0].count()));
        f.eyes = int(random.bounded(c[1].count()));
        f.hair = int(random.bounded(c[2].count()));
        f.mouth = int(random.bounded(c[3].count()));
        faces.append(f);
    }
    return faces;
}

int sheetHeight(int randomCount, int extremeCount)
{
    int h = Margin + HeadingHeight;
    for (const PartsLibrary::Category &c : PartsLibrary::categories())
        h += HeadingHeight + (c.count() + PerRow - 1) / PerRow * (Cell + LabelHeight) + 10;
    for (const int n : {randomCount, extremeCount})
        h += HeadingHeight +
             (n + FacesPerRow - 1) / FacesPerRow * (Composite::SurfaceHeight + LabelHeight + 8) +
             10;
    return h + Margin;
}

} // namespace

namespace ContactSheet {

QImage draw(const QString &appDir)
{
    const QList<Face> random = randomFaces(12);
    QList<Face> extremes;
    for (const Face &f : Extremes) {
        if (f.outline < PartsLibrary::categories()[0].count() &&
            f.eyes < PartsLibrary::categories()[1].count() &&
            f.hair < PartsLibrary::categories()[2].count() &&
            f.mouth < PartsLibrary::categories()[3].count())
            extremes.append(f);
    }

    QImage sheet(SheetWidth, sheetHeight(int(random.size()), int(extremes.size())),
                 QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::TextAntialiasing);

    int y = Margin;
    y = drawHeading(p, y, u"かおぐみ parts library"_s);
    for (const PartsLibrary::Category &c : PartsLibrary::categories())
        y = drawCategory(p, y, appDir, c);
    y = drawHeading(p, y, u"Random faces"_s);
    y = drawFaces(p, y, appDir, random);
    y = drawHeading(p, y, u"Awkward combinations"_s);
    drawFaces(p, y, appDir, extremes);
    return sheet;
}

} // namespace ContactSheet
