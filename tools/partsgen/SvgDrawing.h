#pragma once

#include <QByteArray>
#include <QPaintDevice>
#include <QSize>

#include <memory>

// A paint device that keeps what is painted on it as an SVG document: the
// parts library is drawn by QPainter code and shipped as vectors. The
// document stays within what Qt SVG draws (SVG Tiny): clipping is worked
// into the shapes themselves, and a stroke that is clipped, dashed or drawn
// under a transform that is no rotation or uniform scale is written as the
// outline it paints. Drawn back by QSvgRenderer at the device's size it
// matches the same painting on a QImage, apart from antialiasing.
class SvgDrawing : public QPaintDevice
{
public:
    // A drawing of `size` pixels, which is also its view box.
    explicit SvgDrawing(QSize size);
    ~SvgDrawing() override;
    SvgDrawing(const SvgDrawing &) = delete;
    SvgDrawing &operator=(const SvgDrawing &) = delete;

    QPaintEngine *paintEngine() const override;

    // The document painted so far; empty when the painting used what the
    // document cannot hold: a picture, a pattern or conical brush, or a
    // composition mode other than drawing over.
    QByteArray document() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    class Engine;
    QSize m_size;
    std::unique_ptr<Engine> m_engine;
};
