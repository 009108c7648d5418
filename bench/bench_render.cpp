// Redrawing the main window: four typical parts (an outline at its own size,
// eyes, hair and mouth with transparency, stretched to their boxes), read
// from disk as the window reads them, beside the floors it is compared with:
// decoding the four files alone, and decoding them plus a plain composite.
// Then the same with one part as large as the decoder accepts (5,600 ×
// 5,600 pixels): a redraw of the unchanged face, and a decision that changes
// another part. Last, the four parts as drawings (SVG) of the same sizes,
// drawn at the window's density: a redraw at 1x and at 2x, and a decision at
// 2x (the floor of that one is in bench_floors).
//
// The CPU column is the whole process's: the painter hands wide fills to a
// pool of threads, and their time counts too.
#include "TypicalPart.h"
#include "document/Composite.h"
#include "document/Main.h"
#include "document/PictureBox.h"
#include "platform/PictureFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;

namespace {

void writePart(const QString &path, QSize size, QColor colour, bool transparentHalf)
{
    typicalPart(size, colour, transparentHalf).save(path);
    // A parts library is written long before it is drawn from.
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(QDateTime::currentDateTime().addDays(-1),
                         QFileDevice::FileModificationTime);
}

constexpr int kMouths = 8;

// The parts folder, written once for every benchmark of the run: the four
// typical parts, further mouths to decide between, and the large eyes.
struct Library
{
    Library()
    {
        for (const QString &category : {u"顔"_s, u"目"_s, u"髪"_s, u"口"_s})
            QDir(dir.path()).mkpath(category);
        writePart(dir.filePath(u"顔/f00.png"_s), {200, 240}, QColor(255, 220, 180), false);
        writePart(dir.filePath(u"目/e00.png"_s), {80, 80}, Qt::black, true);
        writePart(dir.filePath(u"髪/h00.png"_s), {200, 200}, QColor(60, 30, 10), true);
        for (int i = 0; i < kMouths; ++i)
            writePart(dir.filePath(u"口/m%1.png"_s.arg(i, 2, 10, QChar(u'0'))), {100, 100},
                      QColor::fromHsv(i * 40, 255, 200), true);
        writePart(dir.filePath(u"目/large.png"_s), {5600, 5600}, Qt::black, true);
        writeOldFile(dir.filePath(u"顔/f00.svg"_s),
                     typicalDrawing({200, 240}, QColor(255, 220, 180), false));
        writeOldFile(dir.filePath(u"目/e00.svg"_s), typicalDrawing({80, 80}, Qt::black, true));
        writeOldFile(dir.filePath(u"髪/h00.svg"_s),
                     typicalDrawing({200, 200}, QColor(60, 30, 10), true));
        for (int i = 0; i < kMouths; ++i)
            writeOldFile(dir.filePath(u"口/m%1.svg"_s.arg(i, 2, 10, QChar(u'0'))),
                         typicalDrawing({100, 100}, QColor::fromHsv(i * 40, 255, 200), true));
    }
    static const Library &get()
    {
        static const Library library;
        return library;
    }
    QString path() const { return dir.path(); }

    QTemporaryDir dir;
    const FaceParts typical{u"顔\\f00.png"_s, u"口\\m00.png"_s, u"髪\\h00.png"_s, u"目\\e00.png"_s};
    const FaceParts large{u"顔\\f00.png"_s, u"口\\m00.png"_s, u"髪\\h00.png"_s, u"目\\large.png"_s};
    const FaceParts drawings{u"顔\\f00.svg"_s, u"口\\m00.svg"_s, u"髪\\h00.svg"_s,
                             u"目\\e00.svg"_s};
};

QString mouthEntry(int i, const QString &suffix = u"png"_s)
{
    return u"口\\m%1.%2"_s.arg(i, 2, 10, QChar(u'0')).arg(suffix);
}

// The decisions of the benchmark's loop: another mouth of the suffix each
// time, given a new modification time first, as if it had never been drawn,
// so that the redraw has that one part to read again.
void decideMouths(benchmark::State &state, Main &main, const QString &suffix)
{
    const QDateTime yesterday = QDateTime::currentDateTime().addDays(-1);
    int decisions = 0;
    for (auto _ : state) {
        const int mouth = ++decisions % kMouths;
        state.PauseTiming();
        QFile file(
            Library::get().dir.filePath(u"口/m%1.%2"_s.arg(mouth, 2, 10, QChar(u'0')).arg(suffix)));
        if (!file.open(QIODevice::ReadWrite) ||
            !file.setFileTime(yesterday.addSecs(decisions), QFileDevice::FileModificationTime))
            state.SkipWithError("cannot set the part's modification time");
        file.close();
        state.ResumeTiming();
        main.takePart(Category::Mouth, mouthEntry(mouth, suffix),
                      u"%1"_s.arg(mouth, 2, 10, QChar(u'0')));
    }
}

// The main window with its surface at ratio times the pixels, as on a screen
// of that density.
void setDensity(Main &main, int ratio)
{
    QImage &surface = main.Picture1->image();
    surface = QImage(QSize(Composite::SurfaceWidth, Composite::SurfaceHeight) * ratio,
                     QImage::Format_RGB32);
    surface.setDevicePixelRatio(ratio);
}

Composite::Layers decode(const Library &library, const FaceParts &parts)
{
    const auto read = [&](const QString &entry) {
        return PictureFile::read(Composite::partPath(library.path(), entry));
    };
    return {read(parts.Outline), read(parts.Eyes), read(parts.Hair), read(parts.Mouth)};
}

// Floor: the four files decoded, nothing drawn.
void BM_DecodeFourParts(benchmark::State &state)
{
    const Library &library = Library::get();
    for (auto _ : state)
        benchmark::DoNotOptimize(decode(library, library.typical));
}
BENCHMARK(BM_DecodeFourParts)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// Floor: the four files decoded and painted one over another on a plain
// 249 × 265 picture.
void BM_DecodeAndComposite(benchmark::State &state)
{
    const Library &library = Library::get();
    for (auto _ : state)
        benchmark::DoNotOptimize(Composite::picture(decode(library, library.typical)));
}
BENCHMARK(BM_DecodeAndComposite)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The main window's redraw of a face whose part files did not change.
void BM_Render(benchmark::State &state)
{
    const Library &library = Library::get();
    Main main(library.path());
    main.history().changeParts(library.typical, {u"00"_s, u"00"_s, u"00"_s, u"00"_s}, {});
    for (auto _ : state)
        main.Render();
}
BENCHMARK(BM_Render)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// Floor of the large part: its file decoded.
void BM_DecodeLargePart(benchmark::State &state)
{
    const Library &library = Library::get();
    const QString path = Composite::partPath(library.path(), library.large.Eyes);
    for (auto _ : state)
        benchmark::DoNotOptimize(PictureFile::read(path));
}
BENCHMARK(BM_DecodeLargePart)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The redraw of an unchanged face whose eyes are the large part.
void BM_RenderWithLargePart(benchmark::State &state)
{
    const Library &library = Library::get();
    Main main(library.path());
    main.history().changeParts(library.large, {}, {});
    for (auto _ : state)
        main.Render();
}
BENCHMARK(BM_RenderWithLargePart)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// A picker's decision (another mouth each time) on a face whose eyes are the
// large part: the window takes the part and redraws. The mouth decided on is
// given a new modification time first, as if it had never been drawn, so the
// redraw has one part to decode.
void BM_DecisionWithLargePart(benchmark::State &state)
{
    const Library &library = Library::get();
    Main main(library.path());
    main.history().changeParts(library.large, {}, {});
    decideMouths(state, main, u"png"_s);
}
BENCHMARK(BM_DecisionWithLargePart)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The redraw of a face of four drawings whose files did not change, at the
// density given (1x, 2x): the picture cache keeps each drawn at that size.
void BM_RenderDrawings(benchmark::State &state)
{
    const Library &library = Library::get();
    Main main(library.path());
    setDensity(main, int(state.range(0)));
    main.history().changeParts(library.drawings, {}, {});
    for (auto _ : state)
        main.Render();
}
BENCHMARK(BM_RenderDrawings)
    ->ArgName("ratio")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

// A picker's decision (another mouth each time) on a face of four drawings at
// 2x; the mouth decided on is given a new modification time first, so the
// window reads it and draws it at 2x anew.
void BM_DecisionDrawings2x(benchmark::State &state)
{
    const Library &library = Library::get();
    Main main(library.path());
    setDensity(main, 2);
    main.history().changeParts(library.drawings, {}, {});
    main.Render();
    decideMouths(state, main, u"svg"_s);
}
BENCHMARK(BM_DecisionDrawings2x)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace
