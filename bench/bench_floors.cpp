// The floor of a picker's decision on a face whose eyes are as large as the
// decoder accepts (5,600 × 5,600 pixels): the one part that changed (the
// mouth) decoded from its file, and the face painted with it over the three
// parts already in memory, the large eyes premultiplied as painting wants
// them. The parts are drawn as bench_render draws its own: an outline at its
// own size, eyes, hair and a mouth with transparency.
#include "TypicalPart.h"
#include "document/Composite.h"
#include "platform/PictureFile.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

void BM_DecodeMouthAndCompositeLargeEyes(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString mouth = dir.filePath(u"m00.png"_s);
    if (!typicalPart({100, 100}, QColor::fromHsv(40, 255, 200), true).save(mouth)) {
        state.SkipWithError("cannot write the part");
        return;
    }
    Composite::Layers layers{typicalPart({200, 240}, QColor(255, 220, 180), false),
                             typicalPart({5600, 5600}, Qt::black, true)
                                 .convertToFormat(QImage::Format_ARGB32_Premultiplied),
                             typicalPart({200, 200}, QColor(60, 30, 10), true), QImage()};
    for (auto _ : state) {
        layers.mouth = PictureFile::read(mouth);
        benchmark::DoNotOptimize(Composite::picture(layers));
    }
}
BENCHMARK(BM_DecodeMouthAndCompositeLargeEyes)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

} // namespace
