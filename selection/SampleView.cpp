#include "selection/SampleView.h"

#include "platform/PictureCache.h"

#include <QPainter>

SampleView::SampleView(QWidget *parent) : QWidget(parent) {}

void SampleView::setPicture(const QString &path, const PictureFile::Picture &picture)
{
    m_path = path;
    m_picture = picture;
    update();
}

void SampleView::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_picture.drawing) {
        painter.drawImage(rect(), m_picture.image);
        return;
    }
    // Drawn at the pixels the widget covers on its screen, once for each
    // size through the cache, and put down one for one.
    const qreal ratio = devicePixelRatioF();
    QImage drawn =
        PictureCache::shared().drawn(m_path, m_picture.drawing, (QSizeF(size()) * ratio).toSize());
    drawn.setDevicePixelRatio(ratio);
    painter.drawImage(rect().topLeft(), drawn);
}
