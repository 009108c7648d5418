// kaogumi-render's batch: 1,000 random faces of the bundled parts library
// written as PNG files, on one and on both cores, into a folder in memory
// (/dev/shm where there is one) and on the build disk; and beside it the same
// faces made by one call of the command per face, as a script calling it in a
// loop would. The floors: the composite alone and the encoder alone (both
// cores, in memory), and writing the batch's very bytes onto the disk with
// one flush at the end. "faces/s" is the figure to compare. Last, 1,000
// random faces of a library of typical parts at the bundled sizes, once as PNG
// pictures and once as SVG drawings, side by side.
#include "TypicalPart.h"
#include "render/Batch.h"

#include "document/FaceFile.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

QList<Job> randomJobs(const QString &folder)
{
    const PartsLibrary library(kAppDir);
    QList<Job> jobs;
    for (const QString &code : randomCodes(kFaces)) {
        jobs.append(Job{code, true, library.faceFromCode(code), folder + u'/' + code + u".png"_s,
                        Format::Png});
    }
    return jobs;
}

// f(i) for i from 0 to count - 1, on both cores.
template <typename F> void onBothCores(int count, F f)
{
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int i = next++; i < count; i = next++)
            f(i);
    };
    std::thread other(work);
    work();
    other.join();
}

// The jobs drawn from the parts in appDir as kaogumi-render draws a folder's
// batch, on threads threads; prepare, untimed, before each round.
void runBatch(benchmark::State &state, QList<Job> &jobs, const QString &appDir, int threads,
              const std::function<void()> &prepare = {})
{
    Settings settings;
    settings.together = true; // as into a folder
    qsizetype failed = 0;
    for (auto _ : state) {
        if (prepare) {
            state.PauseTiming();
            prepare();
            state.ResumeTiming();
        }
        // A fresh cache each time: the command reads its parts once per call.
        PartCache cache(appDir);
        run(jobs, cache, settings, threads,
            [&](qsizetype, const Outcome &outcome) { failed += outcome.ok ? 0 : 1; });
    }
    if (failed)
        state.SkipWithError("a face was not written");
    state.counters["faces/s"] =
        benchmark::Counter(double(state.iterations()) * jobs.size(), benchmark::Counter::kIsRate);
}

// args: threads, on disk.
void BM_Batch(benchmark::State &state)
{
    const bool onDisk = state.range(1) != 0;
    QTemporaryDir dir(folderBase(int(state.range(1))) + u"/kaogumi-bench-XXXXXX"_s);
    QList<Job> jobs = randomJobs(dir.path());
    int round = 0;
    runBatch(state, jobs, kAppDir, int(state.range(0)), [&] {
        if (!onDisk)
            return;
        // A new folder each time, as a run into an empty folder: files
        // replaced make ext4 look for inodes it did not free just now.
        const QString folder = dir.filePath(QString::number(round++));
        QDir().mkdir(folder);
        for (Job &job : jobs)
            job.output = folder + u'/' + job.input + u".png"_s;
    });
}
BENCHMARK(BM_Batch)
    ->ArgNames({"threads", "disk"})
    ->Args({1, 0})
    ->Args({2, 0})
    ->Args({2, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The 1,000 faces' layers drawn into pictures, parts already decoded.
void BM_CompositeAlone(benchmark::State &state)
{
    const QList<Job> jobs = randomJobs(QString());
    PartCache cache(kAppDir);
    for (auto _ : state) {
        onBothCores(kFaces, [&](int i) {
            benchmark::DoNotOptimize(BatchRender::picture(cache.layers(jobs.at(i).face.PartFiles)));
        });
    }
    state.counters["faces/s"] =
        benchmark::Counter(double(state.iterations()) * kFaces, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CompositeAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

// The batch's PNG encoder on a picture already drawn.
PictureEncoders::Encoded encodePng(const QImage &picture, const PictureEncoders::Memo &memo)
{
    return PictureEncoders::encodePNG(reinterpret_cast<const quint32 *>(picture.constBits()),
                                      picture.width(), picture.height(), PictureEncoders::PngFast,
                                      memo);
}

struct Encodings
{
    QList<QImage> pictures;
    QList<PictureEncoders::Memo> memos;
    QList<QByteArray> files;
};

const Encodings &encodings()
{
    static const Encodings made = [] {
        Encodings e;
        PartCache cache(kAppDir);
        for (const Job &job : randomJobs(QString())) {
            e.pictures.append(BatchRender::picture(cache.layers(job.face.PartFiles)));
            e.memos.append(memo(job.face));
            e.files.append(encodePng(e.pictures.last(), e.memos.last()).bytes);
        }
        return e;
    }();
    return made;
}

// The 1,000 pictures encoded as the batch encodes them, memo included.
void BM_EncoderAlone(benchmark::State &state)
{
    const Encodings &e = encodings();
    for (auto _ : state) {
        onBothCores(kFaces, [&](int i) {
            benchmark::DoNotOptimize(encodePng(e.pictures.at(i), e.memos.at(i)));
        });
    }
    state.counters["faces/s"] =
        benchmark::Counter(double(state.iterations()) * kFaces, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EncoderAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

// The batch's 1,000 files written onto the disk, each created and written
// once into a new folder, and one flush of the filesystem at the end.
void BM_WriteSameBytesOneSync(benchmark::State &state)
{
    const Encodings &e = encodings();
    QTemporaryDir dir(folderBase(1) + u"/kaogumi-bench-XXXXXX"_s);
    int failed = 0;
    int round = 0;
    for (auto _ : state) {
        // A new folder each time, as the batch has.
        const QByteArray folder = QFile::encodeName(dir.filePath(QString::number(round++)));
        failed += ::mkdir(folder.constData(), 0777) != 0;
        for (int i = 0; i < kFaces; ++i) {
            const QByteArray path = folder + "/face" + QByteArray::number(i) + ".png";
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            const QByteArray &bytes = e.files.at(i);
            failed +=
                fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size();
            if (fd >= 0)
                ::close(fd);
        }
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        failed += ::syncfs(fd) != 0;
        ::close(fd);
    }
    if (failed)
        state.SkipWithError("a write failed");
    state.counters["faces/s"] =
        benchmark::Counter(double(state.iterations()) * kFaces, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WriteSameBytesOneSync)->Unit(benchmark::kMillisecond)->UseRealTime();

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

// A library of six typical parts a folder (1,296 faces), of the bundled
// library's sizes, as pictures or as drawings.
struct TypicalLibrary
{
    explicit TypicalLibrary(bool drawings)
    {
        const struct
        {
            QString folder;
            QChar letter;
            QSize size;
            bool transparentHalf;
        } categories[] = {{u"顔"_s, u'f', {200, 250}, false},
                          {u"目"_s, u'e', {80, 80}, true},
                          {u"髪"_s, u'h', {200, 200}, true},
                          {u"口"_s, u'm', {100, 100}, true}};
        for (const auto &category : categories) {
            QDir(dir.path()).mkpath(category.folder);
            for (int i = 0; i < 6; ++i) {
                const QColor colour = QColor::fromHsv(i * 60, 200, 220);
                QByteArray bytes;
                if (drawings) {
                    bytes = typicalDrawing(category.size, colour, category.transparentHalf);
                } else {
                    QBuffer buffer(&bytes);
                    buffer.open(QIODevice::WriteOnly);
                    typicalPart(category.size, colour, category.transparentHalf)
                        .save(&buffer, "png");
                }
                writeOldFile(dir.filePath(u"%1/%2%3.%4"_s.arg(category.folder)
                                              .arg(category.letter)
                                              .arg(i, 2, 10, QChar(u'0'))
                                              .arg(drawings ? u"svg"_s : u"png"_s)),
                             bytes);
            }
        }
    }
    QTemporaryDir dir;
};

// args: 0 pictures, 1 drawings. Two cores, into memory.
void BM_TypicalLibrary(benchmark::State &state)
{
    const TypicalLibrary parts(state.range(0) != 0);
    const PartsLibrary library(parts.dir.path());
    QTemporaryDir dir(folderBase(0) + u"/kaogumi-bench-XXXXXX"_s);
    QRandomGenerator random(20240607);
    QList<Job> jobs;
    QSet<QString> codes;
    while (codes.size() < kFaces) {
        const QString code = library.randomCode(random);
        if (codes.contains(code))
            continue;
        codes.insert(code);
        jobs.append(Job{code, true, library.faceFromCode(code), dir.filePath(code + u".png"_s),
                        Format::Png});
    }
    runBatch(state, jobs, parts.dir.path(), 2);
}
BENCHMARK(BM_TypicalLibrary)
    ->ArgName("drawings")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
