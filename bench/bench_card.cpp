// Drawing the printed card at 600 dpi, the resolution of a common office
// printer: code line, barcode and a typical face of the bundled parts
// library, into a picture of the card's size in dots.
#include "output/CardPainter.h"
#include "tools/partsgen/PartsLibrary.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

void BM_PaintCard600dpi(benchmark::State &state)
{
    constexpr int Dpi = 600;
    constexpr int PartIndex = 5;
    const QList<PartsLibrary::Category> &categories = PartsLibrary::categories();
    const CardPainter::Card card{u"405050505"_s,
                                 {PartsLibrary::raster(categories[0], PartIndex),
                                  PartsLibrary::raster(categories[1], PartIndex),
                                  PartsLibrary::raster(categories[2], PartIndex),
                                  PartsLibrary::raster(categories[3], PartIndex)}};
    QImage page(int(std::ceil(CardPainter::WidthTwips * Dpi / 1440.0)),
                int(std::ceil(CardPainter::HeightTwips * Dpi / 1440.0)), QImage::Format_RGB32);
    page.setDotsPerMeterX(int(std::lround(Dpi / 0.0254)));
    page.setDotsPerMeterY(int(std::lround(Dpi / 0.0254)));
    for (auto _ : state) {
        QPainter painter(&page);
        CardPainter::paint(painter, card);
    }
    state.counters["dots"] = double(page.width()) * page.height();
}
BENCHMARK(BM_PaintCard600dpi)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace
