// One step of a picker through the bundled-size parts: the scroll bar moves
// to the next part and the picker reads and shows its picture; beside it its
// floor, the part's file decoded.
//
// The CPU column is the whole process's: the painter hands wide fills to a
// pool of threads, and their time counts too.
#include "platform/PictureFile.h"
#include "selection/ItemSelect.h"
#include "selection/SampleView.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kParts = 16;

// Sixteen parts of the size the bundled hair has, written once for the run.
struct Folder
{
    Folder()
    {
        QDir(dir.path()).mkpath(u"髪"_s);
        for (int i = 0; i < kParts; ++i) {
            QImage image(200, 200, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(QColor::fromHsv(i * 20, 200, 120));
            painter.drawEllipse(10 + i, 5, 180 - 2 * i, 120);
            painter.end();
            image.save(path(i));
            setAge(i, 0);
        }
    }
    static const Folder &get()
    {
        static const Folder folder;
        return folder;
    }
    QString path(int i) const { return dir.filePath(u"髪/h%1.png"_s.arg(i, 2, 10, QChar(u'0'))); }
    // Gives part i a modification time of its own, a day and n seconds ago: a
    // parts library is written long before it is looked through.
    bool setAge(int i, int n) const
    {
        QFile file(path(i));
        return file.open(QIODevice::ReadWrite) &&
               file.setFileTime(QDateTime::currentDateTime().addDays(-1).addSecs(n),
                                QFileDevice::FileModificationTime);
    }

    QTemporaryDir dir;
};

// Floor: the next part's file decoded.
void BM_DecodeSample(benchmark::State &state)
{
    const Folder &folder = Folder::get();
    int position = 0;
    for (auto _ : state) {
        position = (position + 1) % kParts;
        benchmark::DoNotOptimize(PictureFile::read(folder.path(position)));
    }
}
BENCHMARK(BM_DecodeSample)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_PickerStep(benchmark::State &state)
{
    const Folder &folder = Folder::get();
    ItemSelect picker(folder.dir.path());
    picker.setAttribute(Qt::WA_DeleteOnClose, false);
    picker.setTypeName(u"髪"_s);
    picker.Form_Load();
    int position = 0;
    for (auto _ : state) {
        position = (position + 1) % kParts;
        picker.setPosition(position);
        // Drawn as the screen would show it.
        benchmark::DoNotOptimize(picker.Image1->grab());
    }
}
BENCHMARK(BM_PickerStep)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The same steps, each onto a part whose file changed since it was last shown
// (a new modification time), so every step reads its file anew.
void BM_PickerStepToChangedPart(benchmark::State &state)
{
    const Folder &folder = Folder::get();
    ItemSelect picker(folder.dir.path());
    picker.setAttribute(Qt::WA_DeleteOnClose, false);
    picker.setTypeName(u"髪"_s);
    picker.Form_Load();
    int steps = 0;
    for (auto _ : state) {
        const int position = ++steps % kParts;
        state.PauseTiming();
        if (!folder.setAge(position, steps))
            state.SkipWithError("cannot set the part's modification time");
        state.ResumeTiming();
        picker.setPosition(position);
        benchmark::DoNotOptimize(picker.Image1->grab());
    }
}
BENCHMARK(BM_PickerStepToChangedPart)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace
