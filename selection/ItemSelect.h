#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>

class Main;
class QLabel;
class QPushButton;
class QScrollBar;

// A part picker: a small tool window that steps through the pictures of one
// category folder and takes the one it shows into the face.
class ItemSelect : public QWidget
{
    Q_OBJECT

public:
    // main is the window whose face the picker works on.
    explicit ItemSelect(Main *main);

    // The category word (髪, 目, 顔 or 口): the window's caption and the
    // name of its folder. Set before the window loads.
    QString TypeName() const { return m_typeName; }
    void setTypeName(const QString &typeName) { m_typeName = typeName; }

    // Reads the category folder and shows its first picture. Runs once; later
    // calls do nothing.
    void Form_Load();

    // The position, 0 for the first part; setting it shows that part as a
    // scroll by the user does.
    int position() const;
    void setPosition(int position);
    // The highest position: the number of parts minus one, -1 when the folder
    // holds none.
    int highest() const { return int(m_partList.size()) - 1; }

    // Takes the part at the current position into the face, redraws the main
    // window and marks the face modified. False, with nothing changed, when
    // there is no part at the position.
    bool Command1_Click();

    // The picture shown, for tests and screen readers; null before any could
    // be read.
    const QImage &picture() const { return m_picture; }
    QString partFolder() const { return m_partFolder; }

    QLabel *Image1 = nullptr;
    QScrollBar *VScroll1 = nullptr;
    QPushButton *Command1 = nullptr;

Q_SIGNALS:
    // The user closed the picker; it is deleted afterwards.
    void closed(ItemSelect *picker);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void VScroll1_Change();
    void decidePressed();
    void updateAccessibleName();
    void showPicture();

    Main *m_main;
    QString m_typeName;
    QString m_partFolder;
    QStringList m_partList;
    QImage m_picture;
    bool m_loaded = false;
};
