// Listing a parts folder of 10,000 and 50,000 files, and beside it its floor:
// the folder read bare and the names put in the same order.
#include "selection/FileListing.h"
#include "selection/Wildcard.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include <dirent.h>
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

// The floor: every name of the folder read with readdir and decoded, then
// sorted as ListFiles sorts, by the name in capitals and then by the name; no
// pattern, no check of what each entry is.
void readdirAndSort(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QByteArray folder = QFile::encodeName(folderOf(count).path());
    const auto units = [](const QString &text) {
        return std::u16string_view(reinterpret_cast<const char16_t *>(text.constData()),
                                   size_t(text.size()));
    };
    for (auto _ : state) {
        std::vector<std::pair<QString, QString>> entries;
        DIR *dir = ::opendir(folder.constData());
        while (const dirent *entry = dir ? ::readdir(dir) : nullptr) {
            if (entry->d_name[0] == '.')
                continue;
            QString name = QFile::decodeName(entry->d_name);
            QString key = name;
            for (QChar &c : key)
                c = QChar(Wildcard::upperUnit(c.unicode()));
            entries.emplace_back(std::move(key), std::move(name));
        }
        if (dir)
            ::closedir(dir);
        std::sort(entries.begin(), entries.end(), [&](const auto &a, const auto &b) {
            if (const int c = units(a.first).compare(units(b.first)))
                return c < 0;
            return units(a.second).compare(units(b.second)) < 0;
        });
        if (entries.size() != size_t(count)) {
            state.SkipWithError("the folder did not list every file");
            break;
        }
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

} // namespace

BENCHMARK(readdirAndSort)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK(listFiles)
    ->Arg(10000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
