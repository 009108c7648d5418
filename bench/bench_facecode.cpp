// A face code entered with the four pickers of the start open, as the main
// window's バーコード command enters it once the code is typed: every picker
// moves to its part and takes it, and the window redraws. Two codes of the
// bundled parts library take turns, so every entry changes all four parts.
// Beside it the floor: the four new parts' files decoded and painted into one
// composite, the least an entry has to do to show the new face.
#include "document/Composite.h"
#include "document/Main.h"
#include "platform/PictureFile.h"
#include "selection/FaceCodeEntry.h"
#include "selection/ItemSelect.h"

#include <QPointer>

#include <benchmark/benchmark.h>

#include <array>

using namespace Qt::StringLiterals;

namespace {

const QString kAppDir = QStringLiteral(KAOGUMI_PARTS_DIR);
const std::array<QString, 2> kCodes{u"403050709"_s, u"410121411"_s};

QList<QPointer<ItemSelect>> pickersOf(const Main &main)
{
    QList<QPointer<ItemSelect>> pickers;
    for (ItemSelect *picker : main.openPickers())
        pickers.append(picker);
    return pickers;
}

void BM_FaceCodeEntry(benchmark::State &state)
{
    Main main(kAppDir);
    main.Form_Load(QString());
    const QList<QPointer<ItemSelect>> pickers = pickersOf(main);
    if (pickers.size() != 4) {
        state.SkipWithError("the main window did not open four pickers");
        return;
    }
    size_t k = 0;
    for (auto _ : state) {
        const FaceParts before = main.document().PartFiles;
        FaceCodeEntry::enter(kCodes[k++ % kCodes.size()], pickers);
        if (main.document().PartFiles.Mouth == before.Mouth) {
            state.SkipWithError("the face code did not change the face");
            break;
        }
    }
}
BENCHMARK(BM_FaceCodeEntry)->Unit(benchmark::kMillisecond);

void BM_DecodeFourPartsAndComposite(benchmark::State &state)
{
    // The part files each code names, as the entry above decides them.
    std::array<FaceParts, 2> faces;
    {
        Main main(kAppDir);
        main.Form_Load(QString());
        for (size_t i = 0; i < faces.size(); ++i) {
            FaceCodeEntry::enter(kCodes[i], pickersOf(main));
            faces[i] = main.document().PartFiles;
        }
    }
    const auto read = [](const QString &entry) {
        return PictureFile::read(Composite::partPath(kAppDir, entry));
    };
    size_t k = 0;
    for (auto _ : state) {
        const FaceParts &face = faces[k++ % faces.size()];
        const Composite::Layers layers{read(face.Outline), read(face.Eyes), read(face.Hair),
                                       read(face.Mouth)};
        if (layers.outline.isNull() || layers.eyes.isNull() || layers.hair.isNull() ||
            layers.mouth.isNull()) {
            state.SkipWithError("a part of the face could not be read");
            break;
        }
        benchmark::DoNotOptimize(Composite::picture(layers));
    }
}
BENCHMARK(BM_DecodeFourPartsAndComposite)->Unit(benchmark::kMillisecond);

} // namespace
