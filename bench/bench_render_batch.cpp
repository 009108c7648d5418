// kaogumi-render's batch: 1,000 random faces of the bundled parts library
// written as PNG files, on one and on both cores, into a folder in memory
// (/dev/shm where there is one) and on the build disk; and beside it the same
// faces made by one call of the command per face, as a script calling it in a
// loop would. "faces/s" is the figure to compare.
#include "render/Batch.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using namespace BatchRender;

namespace {

const QString kAppDir = QStringLiteral(KAOGUMI_PARTS_DIR);
const QString kRender = QStringLiteral(KAOGUMI_RENDER);
constexpr int kFaces = 1000;

// range 0: 0 the folder in memory, 1 the build disk.
QString folderBase(int onDisk)
{
    if (!onDisk && QDir(u"/dev/shm"_s).exists())
        return u"/dev/shm"_s;
    return kAppDir;
}

QStringList randomCodes(int count)
{
    const PartsLibrary library(kAppDir);
    QRandomGenerator random(20240607);
    QStringList codes;
    while (codes.size() < count) {
        const QString code = library.randomCode(random);
        if (!codes.contains(code))
            codes.append(code);
    }
    return codes;
}

// args: threads, on disk.
void BM_Batch(benchmark::State &state)
{
    QTemporaryDir dir(folderBase(int(state.range(1))) + u"/kaogumi-bench-XXXXXX"_s);
    const PartsLibrary library(kAppDir);
    QList<Job> jobs;
    for (const QString &code : randomCodes(kFaces)) {
        jobs.append(Job{code, true, library.faceFromCode(code), dir.filePath(code + u".png"_s),
                        Format::Png});
    }
    qsizetype failed = 0;
    for (auto _ : state) {
        // A fresh cache each time: the command reads its parts once per call.
        PartCache cache(kAppDir);
        run(jobs, cache, Settings{}, int(state.range(0)),
            [&](qsizetype, const Outcome &outcome) { failed += outcome.ok ? 0 : 1; });
    }
    if (failed)
        state.SkipWithError("a face was not written");
    state.counters["faces/s"] =
        benchmark::Counter(double(state.iterations()) * kFaces, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Batch)
    ->ArgNames({"threads", "disk"})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The whole command for the 1,000 faces, and one call of it per face (100
// faces, which take long enough).
void BM_Command(benchmark::State &state)
{
    const bool perFace = state.range(0) != 0;
    const int faces = perFace ? 100 : kFaces;
    QTemporaryDir dir(folderBase(0) + u"/kaogumi-bench-XXXXXX"_s);
    const QStringList codes = randomCodes(faces);
    int failed = 0;
    for (auto _ : state) {
        if (perFace) {
            for (const QString &code : codes) {
                failed += QProcess::execute(kRender, {u"--code"_s, code, u"-o"_s,
                                                      dir.filePath(code + u".png"_s)}) != 0;
            }
        } else {
            QStringList arguments{u"-o"_s, dir.path() + u'/'};
            for (const QString &code : codes)
                arguments << u"--code"_s << code;
            failed += QProcess::execute(kRender, arguments) != 0;
        }
    }
    if (failed)
        state.SkipWithError("the command failed");
    state.counters["faces/s"] =
        benchmark::Counter(double(state.iterations()) * faces, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Command)
    ->ArgName("one_call_per_face")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
