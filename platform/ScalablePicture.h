#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <memory>

class QPainter;
class QRectF;
class QSvgRenderer;

// A drawing (SVG) read from a part file: a picture with a size of its own, in
// logical pixels, that is drawn anew at whatever size a target needs rather
// than enlarged from one picture. Its bytes have passed PictureFile's checks
// before it is made. One object may be drawn from several threads at once:
// they take turns.
class ScalablePicture
{
public:
    // The longest side it is ever drawn at: the tallest picture kaogumi-render
    // makes (its --size). No window, card or picture needs more, and a part
    // drawn larger than the whole face at that size is never seen whole.
    static constexpr int MaxDrawnSide = 8192;
    // The most pixels it is drawn at, 128 MiB of them: the allocation limit
    // the picture reader sets on any decoded picture. A larger size asked for
    // is drawn at the largest one within the limits, in its proportions.
    static constexpr qint64 MaxDrawnPixels = qint64(32) << 20;

    // The drawing of bytes, its own size made smaller, in its proportions, to
    // fit largestSide when it names more, and never drawn at more than
    // largestArea pixels (nor MaxDrawnPixels); nothing when the bytes draw
    // nothing or name no size.
    static std::shared_ptr<const ScalablePicture> fromSvg(const QByteArray &bytes, int largestSide,
                                                          qint64 largestArea = MaxDrawnPixels);
    ~ScalablePicture();
    ScalablePicture(const ScalablePicture &) = delete;
    ScalablePicture &operator=(const ScalablePicture &) = delete;

    // Its own size in logical pixels.
    QSize size() const { return m_size; }
    // What keeping it costs in memory, roughly: its source.
    qsizetype bytes() const { return m_bytes; }

    // The drawing stretched to fill a picture of pixels pixels (within the
    // limits above), transparent around it, alpha premultiplied.
    QImage picture(QSize pixels) const;
    // The drawing stretched to fill target on the painter, as shapes: a
    // painter of a vector file keeps them as they are.
    void paint(QPainter &painter, const QRectF &target) const;

private:
    ScalablePicture(std::unique_ptr<QSvgRenderer> renderer, QSize size, qsizetype bytes,
                    qint64 largestArea);

    struct Private;
    const std::unique_ptr<Private> d;
    const QSize m_size;
    const qsizetype m_bytes;
    const qint64 m_largestArea;
};
