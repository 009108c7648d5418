#include "document/Main.h"
#include "platform/MsgBox.h"
#include "platform/Translations.h"

#include <QApplication>
#include <QIcon>
#include <QStringList>

namespace {

// The pickers stand in a column against the main window, and Wayland lets no
// program place its windows: where XWayland is there beside the Wayland
// session, the program runs on it, unless the user chose a platform.
void preferX11BesideWayland(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") ||
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            return;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
}

} // namespace

int main(int argc, char *argv[])
{
    preferX11BesideWayland(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kaogumi"));
    QApplication::setApplicationVersion(QStringLiteral(KAOGUMI_VERSION));
    // The desktop ties our windows to the menu entry by this name: it is the
    // Wayland app id. Under X11 the windows' class stays the application
    // name, which the entry names as its StartupWMClass.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kaogumi.Kaogumi"));
    // Every window of the program carries its icon, the pickers and the
    // dialogs too.
    QApplication::setWindowIcon(MsgBox::applicationIcon());
    // The pickers are windows of their own; the program ends with the main
    // window, not with the last window.
    QApplication::setQuitOnLastWindowClosed(false);
    installJapaneseTranslations(app);

    Main window;
    QObject::connect(&window, &Main::ended, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.Form_Load(QApplication::arguments().mid(1).join(QLatin1Char(' ')));
    window.show();
    return app.exec();
}
