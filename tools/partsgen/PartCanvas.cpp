#include "tools/partsgen/PartCanvas.h"

PartCanvas::PartCanvas(const QRect &box) : m_image(box.size(), QImage::Format_ARGB32_Premultiplied)
{
    m_image.fill(Qt::transparent);
    m_painter.begin(&m_image);
    m_painter.setRenderHint(QPainter::Antialiasing);
    m_painter.translate(-box.topLeft());
}

QImage PartCanvas::finish()
{
    m_painter.end();
    return m_image.convertToFormat(QImage::Format_ARGB32);
}

QPen roundPen(const QColor &color, qreal width)
{
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}
