#include "TypicalPart.h"

#include <QDateTime>
#include <QFile>
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

QByteArray typicalDrawing(QSize size, QColor colour, bool transparentHalf)
{
    // The ellipse of typicalPart: inset by 2 pixels, over the upper half only
    // when the rest is transparent.
    const double width = size.width() - 4;
    const double height = (transparentHalf ? size.height() / 2 : size.height()) - 4;
    const QByteArray w = QByteArray::number(size.width());
    const QByteArray h = QByteArray::number(size.height());
    QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' width='" + w + "' height='" + h +
                     "' viewBox='0 0 " + w + ' ' + h + "'>";
    if (!transparentHalf)
        svg += "<rect width='" + w + "' height='" + h + "' fill='white'/>";
    return svg + "<ellipse cx='" + QByteArray::number(2 + width / 2) + "' cy='" +
           QByteArray::number(2 + height / 2) + "' rx='" + QByteArray::number(width / 2) +
           "' ry='" + QByteArray::number(height / 2) + "' fill='" + colour.name().toLatin1() +
           "'/></svg>";
}

bool writeOldFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    // Written out before the time is set, which the write would set again.
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() &&
           file.setFileTime(QDateTime::currentDateTime().addDays(-1),
                            QFileDevice::FileModificationTime);
}
