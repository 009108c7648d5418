#include "selection/FileListing.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A folder of count empty files, made once per size and kept for the whole
// run. The names mix capitals and small letters, as parts folders copied
// from Windows do, so the ordering does real work.
const QTemporaryDir &folderOf(int count)
{
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    std::unique_ptr<QTemporaryDir> &dir = folders[count];
    if (!dir) {
        dir = std::make_unique<QTemporaryDir>();
        const QByteArray base = QFile::encodeName(dir->path()) + '/';
        for (int i = 0; i < count; ++i) {
            const QByteArray name = base + (i % 2 ? "Part_" : "part_") +
                                    QByteArray::number((i * 7919) % count) + ".png";
            const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
            if (fd >= 0)
                ::close(fd);
        }
    }
    return *dir;
}

void listFiles(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QString folder = folderOf(count).path() + u'/';
    for (auto _ : state) {
        const QStringList names = FileListing::ListFiles(u"*.*"_s, folder);
        if (names.size() != count) {
            state.SkipWithError("the folder did not list every file");
            break;
        }
        benchmark::DoNotOptimize(names.constData());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

} // namespace

BENCHMARK(listFiles)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
