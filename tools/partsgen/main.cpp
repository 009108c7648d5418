// Draws the parts library the program ships with into the build folder, with
// a contact sheet of it, so the pictures live in the code rather than as
// binary files in the repository.

#include "tools/partsgen/ContactSheet.h"
#include "tools/partsgen/PartsLibrary.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    // Text on the contact sheet needs fonts, and fonts need a GUI application.
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "usage: kaogumi-partsgen <folder of the program>\n";
        return 2;
    }
    const QString appDir = QDir(args[1]).absolutePath();

    QString error;
    if (!QDir().mkpath(appDir) || !PartsLibrary::write(appDir, &error)) {
        err << "kaogumi-partsgen: " << (error.isEmpty() ? u"cannot make "_s + appDir : error)
            << '\n';
        return 1;
    }
    const QString sheetPath = appDir + u"/parts-contact-sheet.png"_s;
    if (!ContactSheet::draw(appDir).save(sheetPath, "PNG")) {
        err << "kaogumi-partsgen: cannot write " << sheetPath << '\n';
        return 1;
    }
    return 0;
}
