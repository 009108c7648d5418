// A face code entered with the four pickers of the start open, as the main
// window's バーコード command enters it once the code is typed: every picker
// moves to its part and takes it, and the window redraws. Two codes take
// turns, so every entry changes all four parts: once with parts seen before,
// and once with the four part files changed on disk since, so that all four
// are read anew. Beside them the floor: the four new parts' files decoded and
// painted into one composite, the least an entry has to do to show a face of
// parts it has not seen. The parts are a copy of the bundled library, whose
// files can be given new times without touching the build.
#include "document/Composite.h"
#include "document/Main.h"
#include "platform/PictureFile.h"
#include "selection/FaceCodeEntry.h"
#include "selection/ItemSelect.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>

using namespace Qt::StringLiterals;

namespace {

const std::array<QString, 2> kCodes{u"403050709"_s, u"410121411"_s};

// Gives the file a modification time of a day ago and n seconds: a parts
// library is written long before it is drawn from.
bool age(const QString &path, int n)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime::currentDateTime().addDays(-1).addSecs(n),
                            QFileDevice::FileModificationTime);
}

struct Library
{
    Library()
    {
        const QDir bundled(QStringLiteral(KAOGUMI_PARTS_DIR));
        for (const QString &category : {u"顔"_s, u"目"_s, u"髪"_s, u"口"_s}) {
            QDir(dir.path()).mkpath(category);
            for (const QString &name : QDir(bundled.filePath(category)).entryList(QDir::Files)) {
                const QString copy = dir.filePath(category + u'/' + name);
                QFile::copy(bundled.filePath(category + u'/' + name), copy);
                age(copy, 0);
            }
        }
        // The part files each code names, as the entry decides them.
        Main main(dir.path());
        main.Form_Load(QString());
        for (size_t i = 0; i < kCodes.size(); ++i) {
            FaceCodeEntry::enter(kCodes[i], pickersOf(main));
            faces[i] = main.document().PartFiles;
        }
    }
    static const Library &get()
    {
        static const Library library;
        return library;
    }
    static QList<QPointer<ItemSelect>> pickersOf(const Main &main)
    {
        QList<QPointer<ItemSelect>> pickers;
        for (ItemSelect *picker : main.openPickers())
            pickers.append(picker);
        return pickers;
    }
    QString path(const QString &entry) const { return Composite::partPath(dir.path(), entry); }

    QTemporaryDir dir;
    std::array<FaceParts, 2> faces;
};

void enterCodes(benchmark::State &state, bool changedOnDisk)
{
    const Library &library = Library::get();
    Main main(library.dir.path());
    main.Form_Load(QString());
    const QList<QPointer<ItemSelect>> pickers = Library::pickersOf(main);
    if (pickers.size() != 4) {
        state.SkipWithError("the main window did not open four pickers");
        return;
    }
    int entries = 0;
    for (auto _ : state) {
        const size_t next = size_t(++entries) % kCodes.size();
        const FaceParts &face = library.faces[next];
        if (changedOnDisk) {
            state.PauseTiming();
            for (const QString *entry : {&face.Outline, &face.Eyes, &face.Hair, &face.Mouth}) {
                if (!age(library.path(*entry), entries))
                    state.SkipWithError("cannot give a part a new time");
            }
            state.ResumeTiming();
        }
        FaceCodeEntry::enter(kCodes[next], pickers);
        if (main.document().PartFiles != face) {
            state.SkipWithError("the face code did not give the face it names");
            break;
        }
    }
}

void BM_FaceCodeEntry(benchmark::State &state)
{
    enterCodes(state, false);
}
BENCHMARK(BM_FaceCodeEntry)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_FaceCodeEntryChangedParts(benchmark::State &state)
{
    enterCodes(state, true);
}
BENCHMARK(BM_FaceCodeEntryChangedParts)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_DecodeFourPartsAndComposite(benchmark::State &state)
{
    const Library &library = Library::get();
    const auto read = [&](const QString &entry) { return PictureFile::read(library.path(entry)); };
    size_t k = 0;
    for (auto _ : state) {
        const FaceParts &face = library.faces[k++ % library.faces.size()];
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
BENCHMARK(BM_DecodeFourPartsAndComposite)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace
