#pragma once

#include <QImage>
#include <QWidget>

// The picker's sample: a picture stretched over the whole widget. It is drawn
// from the picture itself at the screen's resolution, so a part stays sharp on
// a high-density screen instead of being stretched twice.
class SampleView : public QWidget
{
    Q_OBJECT

public:
    explicit SampleView(QWidget *parent = nullptr);

    // An empty view shows the window's background.
    void setImage(const QImage &image);
    bool isEmpty() const { return m_image.isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};
