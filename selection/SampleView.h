#pragma once

#include "platform/PictureFile.h"

#include <QImage>
#include <QString>
#include <QWidget>

// The picker's sample: a part stretched over the whole widget. A picture of
// pixels is drawn from the picture itself at the screen's resolution, so it
// is stretched once, not twice; a drawing is drawn at the widget's own device
// pixels, so it stays sharp on a high-density screen.
class SampleView : public QWidget
{
    Q_OBJECT

public:
    explicit SampleView(QWidget *parent = nullptr);

    // The part in the file at path, as the picture cache loaded it. An empty
    // view shows the window's background.
    void setPicture(const QString &path, const PictureFile::Picture &picture);
    bool isEmpty() const { return m_picture.isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_path;
    PictureFile::Picture m_picture;
};
