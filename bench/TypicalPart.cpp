#include "TypicalPart.h"

#include <QPainter>

QImage typicalPart(QSize size, QColor colour, bool transparentHalf)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(transparentHalf ? Qt::transparent : Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.drawEllipse(
        QRect(QPoint(), size).adjusted(2, 2, -2, transparentHalf ? -size.height() / 2 : -2));
    return image;
}
