#include "platform/ScalablePicture.h"

#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

struct ScalablePicture::Private
{
    // The renderer keeps state while it draws: one drawing at a time.
    QMutex mutex;
    std::unique_ptr<QSvgRenderer> renderer;
};

ScalablePicture::ScalablePicture(std::unique_ptr<QSvgRenderer> renderer, QSize size,
                                 qsizetype bytes, qint64 largestArea)
    : d(new Private{{}, std::move(renderer)}), m_size(size), m_bytes(bytes),
      m_largestArea(qBound<qint64>(1, largestArea, MaxDrawnPixels))
{
}

ScalablePicture::~ScalablePicture() = default;

std::shared_ptr<const ScalablePicture> ScalablePicture::fromSvg(const QByteArray &bytes,
                                                                int largestSide, qint64 largestArea)
{
    auto renderer = std::make_unique<QSvgRenderer>(bytes);
    QSize size = renderer->defaultSize();
    if (!renderer->isValid() || size.isEmpty())
        return nullptr;
    if (size.width() > largestSide || size.height() > largestSide)
        size = size.scaled(largestSide, largestSide, Qt::KeepAspectRatio).expandedTo({1, 1});
    return std::shared_ptr<const ScalablePicture>(
        new ScalablePicture(std::move(renderer), size, bytes.size(), largestArea));
}

QImage ScalablePicture::picture(QSize pixels) const
{
    if (pixels.isEmpty())
        return {};
    if (pixels.width() > MaxDrawnSide || pixels.height() > MaxDrawnSide)
        pixels = pixels.scaled(MaxDrawnSide, MaxDrawnSide, Qt::KeepAspectRatio);
    const qint64 area = qint64(pixels.width()) * pixels.height();
    if (area > m_largestArea) {
        const double shrink = std::sqrt(double(m_largestArea) / double(area));
        pixels = QSize(int(pixels.width() * shrink), int(pixels.height() * shrink));
    }
    QImage image(pixels.expandedTo({1, 1}), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
    return image;
}

void ScalablePicture::paint(QPainter &painter, const QRectF &target) const
{
    const QMutexLocker lock(&d->mutex);
    d->renderer->render(&painter, target);
}
