#pragma once

#include <QImage>
#include <QWidget>

// A drawing surface that keeps what is drawn on it: everything goes into a
// back image, which the widget paints from whenever it is uncovered. It can be
// drawn on before it is shown, and its picture read back right after.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(QSize size, QWidget *parent = nullptr);

    QImage &image() { return m_image; }
    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};
