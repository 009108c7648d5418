#pragma once

#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;

// The version window: the program's name, icon and version over a white
// ground, and an OK button that Enter, Esc and the close box all answer.
// It has no owner and holds nothing: each showing makes a fresh one.
class MoVersion : public QDialog
{
    Q_OBJECT

public:
    explicit MoVersion(QWidget *parent = nullptr);

    // Shows a new version window modally, without an owner, and returns once
    // it has been closed.
    static void showModal();

    // The colour rule under the name: one pixel high, a sweep from blue
    // through cyan, green and yellow to red in four equal stretches.
    static QImage colourRule();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void Command1_Click();

    QWidget *Picture1 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *Command1 = nullptr;
};
