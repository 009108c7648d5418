// Lists folders of odd file names: bytes that are no UTF-8, commas, line
// ends, blanks, names of 255 bytes, names that differ in case only, beside a
// folder and links. The same names are made in two folders, in opposite
// orders. The properties:
//  - every regular file is listed exactly once, by its name as the system
//    decodes it, and nothing else is;
//  - the order is the NTFS order: names compared unit by unit after simple
//    upper-casing, ties broken by the names themselves;
//  - the order depends on the names alone: the two folders, "*" and "*.*",
//    and a second listing all give the same list;
//  - a pattern lists exactly the names of the full list that it matches, in
//    the same order.
#include "selection/FileListing.h"
#include "selection/Wildcard.h"

#include "FixedRun.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QTemporaryDir *g_folder = nullptr;

[[noreturn]] void fail(const char *what, const std::vector<std::string> &names)
{
    std::fprintf(stderr, "file listing: %s; names:", what);
    for (const std::string &name : names) {
        std::fprintf(stderr, " [");
        for (unsigned char c : name)
            std::fprintf(stderr, "%02x", c);
        std::fprintf(stderr, "]");
    }
    std::fprintf(stderr, "\n");
    std::abort();
}

// Empties a folder whose names need not decode.
void empty(const std::string &folder)
{
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const int fd = ::dirfd(dir);
    std::vector<std::string> names;
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    for (const std::string &name : names) {
        if (::unlinkat(fd, name.c_str(), 0) != 0)
            ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
    }
    ::closedir(dir);
}

struct Made
{
    std::vector<std::string> files;  // names of regular files, and links to one
    std::vector<std::string> others; // a folder, links to a folder and to nothing
};

void make(const std::string &folder, const Made &made, bool reversed)
{
    std::vector<std::string> files = made.files;
    if (reversed)
        std::reverse(files.begin(), files.end());
    for (const std::string &name : files) {
        const std::string path = folder + '/' + name;
        if (name == "link to target") {
            if (::symlink("target", path.c_str()) != 0)
                fail("cannot make a link", {name});
            continue;
        }
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0)
            fail("cannot make a file", {name});
        ::close(fd);
    }
    for (const std::string &name : made.others) {
        const std::string path = folder + '/' + name;
        if (name == "folder")
            ::mkdir(path.c_str(), 0755);
        else
            ::symlink(name == "to-folder" ? "folder" : "nothing", path.c_str());
    }
}

// The NTFS order, from its description: each UTF-16 unit upper-cased on its
// own (one unit to one unit), the units compared as numbers.
QString upperUnits(const QString &name)
{
    QString upper = name;
    for (QChar &c : upper) {
        const char32_t u = QChar::toUpper(char32_t(c.unicode()));
        if (u <= 0xffff)
            c = QChar(char16_t(u));
    }
    return upper;
}

bool inOrder(const QString &a, const QString &b)
{
    const QString ua = upperUnits(a);
    const QString ub = upperUnits(b);
    const auto units = [](const QString &s) {
        return std::u16string(reinterpret_cast<const char16_t *>(s.utf16()), size_t(s.size()));
    };
    if (ua != ub)
        return units(ua) < units(ub);
    return units(a) <= units(b);
}

// Names from the input: split at "/", cut at a NUL and to 255 bytes; the
// first byte asks for a folder and links beside them, and for a name of 255
// bytes made from the first name.
Made namesOf(const uint8_t *data, size_t size)
{
    Made made;
    if (size == 0)
        return made;
    const uint8_t flags = data[0];
    std::set<std::string> seen{"",       ".",         "..",      "target",
                               "folder", "to-folder", "nothing", "link to target"};
    std::string name;
    const auto take = [&] {
        name = name.substr(0, std::min(name.find('\0'), size_t(255)));
        if (seen.insert(name).second && made.files.size() < 40)
            made.files.push_back(name);
        name.clear();
    };
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == '/')
            take();
        else
            name += char(data[i]);
    }
    take();
    if (flags & 1 && !made.files.empty()) {
        std::string longName;
        while (longName.size() < 255)
            longName += made.files.front().empty() ? "x" : made.files.front();
        name = longName;
        take();
    }
    if (flags & 2) {
        made.files.push_back("target");
        made.files.push_back("link to target");
        made.others = {"folder", "to-folder", "nothing"};
    }
    return made;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The listing warns of every folder with undecodable names.
    QLoggingCategory::setFilterRules(u"default.warning=false"_s);
    // Removed with its files when the run ends; names that do not decode
    // are removed first, as Qt cannot name them.
    static QTemporaryDir folder;
    g_folder = &folder;
    static const struct Names
    {
        ~Names()
        {
            empty(QFile::encodeName(g_folder->filePath(u"a"_s)).toStdString());
            empty(QFile::encodeName(g_folder->filePath(u"b"_s)).toStdString());
        }
    } names;
    if (!g_folder->isValid() || !QDir(g_folder->path()).mkpath(u"a"_s) ||
        !QDir(g_folder->path()).mkpath(u"b"_s)) {
        fail("no temporary folders", {});
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Made made = namesOf(data, size);
    const std::string a = QFile::encodeName(g_folder->filePath(u"a"_s)).toStdString();
    const std::string b = QFile::encodeName(g_folder->filePath(u"b"_s)).toStdString();
    empty(a);
    empty(b);
    make(a, made, false);
    make(b, made, true);

    const QStringList listed = FileListing::ListFiles(u"*"_s, g_folder->filePath(u"a/"_s));
    QStringList expected;
    for (const std::string &name : made.files)
        expected.append(QFile::decodeName(QByteArray::fromStdString(name)));
    QStringList sorted = listed;
    std::sort(sorted.begin(), sorted.end());
    std::sort(expected.begin(), expected.end());
    if (sorted != expected)
        fail("the files listed are not the regular files, each once", made.files);
    for (qsizetype i = 1; i < listed.size(); ++i) {
        if (!inOrder(listed.at(i - 1), listed.at(i)))
            fail("two names are out of order", made.files);
    }
    if (FileListing::ListFiles(u"*.*"_s, g_folder->filePath(u"b"_s)) != listed ||
        FileListing::ListFiles(u"*"_s, g_folder->filePath(u"a"_s)) != listed) {
        fail("the same names listed in another order", made.files);
    }

    // A pattern made from the first name: its first unit, "?", "*" and its
    // last two units.
    if (!listed.isEmpty()) {
        QString pattern = listed.first();
        if (pattern.size() > 4)
            pattern = pattern.left(1) + u"?*"_s + pattern.right(2);
        else if (pattern.size() > 2)
            pattern[1] = u'?';
        const Wildcard wildcard(pattern);
        QStringList matched;
        std::copy_if(listed.begin(), listed.end(), std::back_inserter(matched),
                     [&](const QString &name) { return wildcard.matches(name); });
        if (FileListing::ListFiles(pattern, g_folder->filePath(u"b/"_s)) != matched)
            fail("a pattern listed other names than it matches", made.files);
    }
    return 0;
}

#ifndef KAOGUMI_LIBFUZZER
namespace {

// Names of letters in both cases, digits, blanks, commas, line ends, dots,
// UTF-8 for ä and ǅ, and bytes that are no UTF-8.
std::string folderOfNames(std::mt19937 &random)
{
    return FixedRun::soup(random, 120, "////aAbBzZ09 ,\n\r.._~\xc3\xa4\xc3\x84\xc7\x85\xff\xc3");
}

} // namespace

int main(int argc, char **argv)
{
    return FixedRun::run(argc, argv, "fuzz_filelisting", 3000, folderOfNames);
}
#endif
