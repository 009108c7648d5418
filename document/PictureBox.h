#pragma once

#include <QImage>
#include <QWidget>

// A drawing surface that keeps what is drawn on it: everything goes into a
// back image, which the widget paints from whenever it is uncovered. It can be
// drawn on before it is shown, and its picture read back right after. The
// back image has as many pixels as the screen shows, so what is drawn on a
// high-density screen is drawn at that density, not stretched afterwards;
// painters on it work in the widget's own coordinates all the same.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(QSize size, QWidget *parent = nullptr);

    QImage &image() { return m_image; }
    const QImage &image() const { return m_image; }

Q_SIGNALS:
    // The widget moved to a screen of another density: the back image was
    // made anew, white, and is to be drawn again.
    void resolutionChanged();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void allocate();

    QSize m_size;
    QImage m_image;
};
