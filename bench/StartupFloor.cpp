// The floor of the program's start-up: a bare Qt program that shows the same
// window shapes as the program does at its start (a fixed main window of the
// same client size with a menu bar of the same three titles, and four small
// tool windows in a column beside it) and nothing else: no parts, no face,
// no translations. Linked with FirstPaintExit.cpp, it ends after its first
// paint, as the program's own start-up benchmark does.
#include <QApplication>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QWidget>

#include <array>
#include <memory>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QMainWindow window;
    auto *client = new QWidget(&window);
    client->setFixedSize(249, 283);
    window.setCentralWidget(client);
    for (const QString &title : {u"ファイル(&F&ﾊ)"_s, u"編集(&E&ｲ)"_s, u"ヘルプ(&H&ｸ)"_s})
        window.menuBar()->addMenu(title);
    window.layout()->setSizeConstraint(QLayout::SetFixedSize);
    window.adjustSize();
    const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
    window.move(free.center() - QPoint((window.width() + 220) / 2, window.height() / 2));

    const std::array<QString, 4> titles{u"髪"_s, u"目"_s, u"顔"_s, u"口"_s};
    std::array<std::unique_ptr<QWidget>, 4> tools;
    int top = window.frameGeometry().top();
    for (size_t i = 0; i < tools.size(); ++i) {
        tools[i] = std::make_unique<QWidget>(nullptr, Qt::Tool);
        tools[i]->setWindowTitle(titles[i]);
        tools[i]->setFixedSize(214, 91);
        tools[i]->move(window.frameGeometry().right() + 1, top);
        top += tools[i]->frameGeometry().height();
        tools[i]->show();
    }
    window.show();
    return app.exec();
}
