#include "tools/partsgen/PartCanvas.h"

#include "tools/partsgen/SvgDrawing.h"

namespace PartCanvas {

namespace {

void paintInBox(QPaintDevice &device, const QRect &box, PartDrawing draw, int index)
{
    QPainter painter(&device);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-box.topLeft());
    draw(painter, index);
}

} // namespace

QImage raster(const QRect &box, PartDrawing draw, int index)
{
    QImage image(box.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    paintInBox(image, box, draw, index);
    return image.convertToFormat(QImage::Format_ARGB32);
}

QByteArray svg(const QRect &box, PartDrawing draw, int index)
{
    SvgDrawing drawing(box.size());
    paintInBox(drawing, box, draw, index);
    return drawing.document();
}

} // namespace PartCanvas

QPen roundPen(const QColor &color, qreal width)
{
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}
