// The floor of a picker's decision on a face whose eyes are as large as the
// decoder accepts (5,600 × 5,600 pixels): the one part that changed (the
// mouth) decoded from its file, and the face painted with it over the three
// parts already in memory, the large eyes premultiplied as painting wants
// them. The parts are drawn as bench_render draws its own: an outline at its
// own size, eyes, hair and a mouth with transparency.
#include "TypicalPart.h"
#include "document/Composite.h"
#include "platform/PictureFile.h"
#include "platform/ScalablePicture.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
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

// The floor of a decision at 2x on a face of four drawings: the one drawing
// that changed (the mouth) read from its file and drawn at 200 × 200 pixels,
// and the face painted at 2x from it and the three other parts, already drawn
// at their 2x sizes: white, then each picture onto its box one for one.
void BM_DrawMouthAndComposite2x(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString mouth = dir.filePath(u"m00.svg"_s);
    if (!writeOldFile(mouth, typicalDrawing({100, 100}, QColor::fromHsv(40, 255, 200), true))) {
        state.SkipWithError("cannot write the part");
        return;
    }
    const auto drawn = [](QSize size, QColor colour, bool transparentHalf) {
        return ScalablePicture::fromSvg(typicalDrawing(size, colour, transparentHalf), 256)
            ->picture(size * 2);
    };
    const QImage outline = drawn({200, 240}, QColor(255, 220, 180), false);
    const QImage eyes = drawn({80, 80}, Qt::black, true);
    const QImage hair = drawn({200, 200}, QColor(60, 30, 10), true);
    for (auto _ : state) {
        QFile file(mouth);
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot read the part");
        const PictureFile::Picture part = PictureFile::load(file);
        QImage surface(QSize(Composite::SurfaceWidth, Composite::SurfaceHeight) * 2,
                       QImage::Format_RGB32);
        surface.setDevicePixelRatio(2);
        QPainter painter(&surface);
        painter.fillRect(QRect(0, 0, Composite::SurfaceWidth, Composite::SurfaceHeight), Qt::white);
        painter.drawImage(QRect(Composite::OutlineOrigin, QSize(200, 240)), outline);
        painter.drawImage(Composite::EyesBox, eyes);
        painter.drawImage(Composite::HairBox, hair);
        painter.drawImage(Composite::MouthBox, part.drawing->picture({200, 200}));
    }
}
BENCHMARK(BM_DrawMouthAndComposite2x)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace
