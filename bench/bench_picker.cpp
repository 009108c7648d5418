// One step of a picker through the bundled-size parts: the scroll bar moves
// to the next part and the picker reads and shows its picture.
#include "selection/ItemSelect.h"
#include "selection/SampleView.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

void BM_PickerStep(benchmark::State &state)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(u"髪"_s);
    const int parts = 16;
    for (int i = 0; i < parts; ++i) {
        QImage image(200, 200, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor::fromHsv(i * 20, 200, 120));
        painter.drawEllipse(10 + i, 5, 180 - 2 * i, 120);
        painter.end();
        image.save(dir.filePath(u"髪/h%1.png"_s.arg(i, 2, 10, QChar(u'0'))));
    }
    ItemSelect picker(dir.path());
    picker.setAttribute(Qt::WA_DeleteOnClose, false);
    picker.setTypeName(u"髪"_s);
    picker.Form_Load();
    int position = 0;
    for (auto _ : state) {
        position = (position + 1) % parts;
        picker.setPosition(position);
        // Drawn as the screen would show it.
        benchmark::DoNotOptimize(picker.Image1->grab());
    }
}
BENCHMARK(BM_PickerStep)->Unit(benchmark::kMillisecond);

} // namespace
