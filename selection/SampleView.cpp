#include "selection/SampleView.h"

#include <QPainter>

SampleView::SampleView(QWidget *parent) : QWidget(parent) {}

void SampleView::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void SampleView::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_image);
}
