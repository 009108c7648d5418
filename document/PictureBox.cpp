#include "document/PictureBox.h"

#include <QPaintEvent>
#include <QPainter>

PictureBox::PictureBox(QSize size, QWidget *parent) : QWidget(parent), m_size(size)
{
    setFixedSize(size);
    setAttribute(Qt::WA_OpaquePaintEvent);
    allocate();
}

void PictureBox::allocate()
{
    const qreal ratio = devicePixelRatioF();
    m_image = QImage(m_size * ratio, QImage::Format_RGB32);
    m_image.setDevicePixelRatio(ratio);
    m_image.fill(Qt::white);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    if (!qFuzzyCompare(devicePixelRatioF(), m_image.devicePixelRatio())) {
        allocate();
        Q_EMIT resolutionChanged();
    }
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_image);
}
