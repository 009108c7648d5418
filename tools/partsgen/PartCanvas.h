#pragma once

#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRect>

// A transparent picture for one part, painted in composite surface
// coordinates: whatever is drawn inside `box` ends up in the picture, pixel
// for pixel, because the picture is made at the size of its box.
class PartCanvas
{
public:
    explicit PartCanvas(const QRect &box);
    PartCanvas(const PartCanvas &) = delete;
    PartCanvas &operator=(const PartCanvas &) = delete;

    QPainter &painter() { return m_painter; }

    // Ends painting and hands over the picture.
    QImage finish();

private:
    QImage m_image;
    QPainter m_painter;
};

// A pen with round ends and joints, the way all the line work is drawn.
QPen roundPen(const QColor &color, qreal width);
