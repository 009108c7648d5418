#include "document/PictureBox.h"

#include <QPaintEvent>
#include <QPainter>

PictureBox::PictureBox(QSize size, QWidget *parent)
    : QWidget(parent), m_image(size, QImage::Format_RGB32)
{
    m_image.fill(Qt::white);
    setFixedSize(size);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), m_image, event->rect());
}
