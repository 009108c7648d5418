// Redrawing the main window: four typical parts (an outline at its own size,
// eyes, hair and mouth with transparency, stretched to their boxes), read
// from disk every time as the window does.
#include "document/Main.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

void writePart(const QString &path, QSize size, QColor colour, bool transparentHalf)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(transparentHalf ? Qt::transparent : Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(colour);
    painter.drawEllipse(
        QRect(QPoint(), size).adjusted(2, 2, -2, transparentHalf ? -size.height() / 2 : -2));
    painter.end();
    image.save(path);
}

void BM_Render(benchmark::State &state)
{
    QTemporaryDir dir;
    for (const QString &category : {u"顔"_s, u"目"_s, u"髪"_s, u"口"_s})
        QDir(dir.path()).mkpath(category);
    writePart(dir.filePath(u"顔/f00.png"_s), {200, 240}, QColor(255, 220, 180), false);
    writePart(dir.filePath(u"目/e00.png"_s), {80, 80}, Qt::black, true);
    writePart(dir.filePath(u"髪/h00.png"_s), {200, 200}, QColor(60, 30, 10), true);
    writePart(dir.filePath(u"口/m00.png"_s), {100, 100}, Qt::red, true);

    Main main(dir.path());
    FaceDocument &doc = main.document();
    doc.PartFiles = {u"顔\\f00.png"_s, u"口\\m00.png"_s, u"髪\\h00.png"_s, u"目\\e00.png"_s};
    doc.PartCodes = {u"00"_s, u"00"_s, u"00"_s, u"00"_s};
    for (auto _ : state)
        main.Render();
}
BENCHMARK(BM_Render)->Unit(benchmark::kMillisecond);

} // namespace
