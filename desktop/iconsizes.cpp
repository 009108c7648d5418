// Draws an SVG icon at the sizes of the hicolor icon theme, so the theme's
// bitmaps follow the one drawing kept in the repository:
//   kaogumi-iconsizes SVG FOLDER CONTEXT NAME SIZE...
// writes FOLDER/<SIZE>x<SIZE>/CONTEXT/NAME.png for each size.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 6) {
        std::fprintf(stderr, "usage: kaogumi-iconsizes SVG FOLDER CONTEXT NAME SIZE...\n");
        return 2;
    }
    QSvgRenderer svg(args.at(1));
    if (!svg.isValid()) {
        std::fprintf(stderr, "kaogumi-iconsizes: cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    for (const QString &sizeText : args.mid(5)) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        if (!ok || size <= 0) {
            std::fprintf(stderr, "kaogumi-iconsizes: bad size %s\n", qPrintable(sizeText));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            svg.render(&painter);
        }
        const QString folder =
            QStringLiteral("%1/%2x%2/%3").arg(args.at(2)).arg(size).arg(args.at(3));
        QSaveFile file(folder + u'/' + args.at(4) + QStringLiteral(".png"));
        if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
            !image.save(&file, "PNG") || !file.commit()) {
            std::fprintf(stderr, "kaogumi-iconsizes: cannot write %s: %s\n",
                         qPrintable(file.fileName()), qPrintable(file.errorString()));
            return 1;
        }
    }
    return 0;
}
