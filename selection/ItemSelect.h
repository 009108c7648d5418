#pragma once

#include "document/Categories.h"

#include <QStringList>
#include <QWidget>

#include <optional>

class QPushButton;
class QScrollBar;
class SampleView;

// A part picker: a small tool window that steps through the pictures of one
// category folder and reports the one it shows when the user takes it. The
// picker never writes the face itself: whoever owns the face listens to
// decided().
class ItemSelect : public QWidget
{
    Q_OBJECT

public:
    // appDir is the application folder, which holds the parts library.
    explicit ItemSelect(const QString &appDir);

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

    // Takes the part at the current position: emits decided(). False, with
    // nothing emitted, when there is no part at the position.
    bool Command1_Click();

    QString partFolder() const { return m_partFolder; }

    SampleView *Image1 = nullptr;
    QScrollBar *VScroll1 = nullptr;
    QPushButton *Command1 = nullptr;

Q_SIGNALS:
    // The part to take into the face: the entry for the face record
    // (category word, "\" and file name) and its code, the position written
    // with at least two digits.
    void decided(Category category, const QString &partFile, const QString &code);
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

    QString m_appDir;
    QString m_typeName;
    QString m_partFolder;
    QStringList m_partList;
    bool m_loaded = false;
};
