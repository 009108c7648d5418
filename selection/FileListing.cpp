#include "selection/FileListing.h"

#include "document/Categories.h"
#include "selection/Wildcard.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFile>

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace FileListing {

namespace {

// The name as NTFS sees it when it orders a folder. Shares the name's text when
// nothing changes, which is the usual case for part files.
QString upperKey(const QString &name)
{
    const qsizetype size = name.size();
    const char16_t *units = reinterpret_cast<const char16_t *>(name.constData());
    qsizetype first = 0;
    while (first < size && Wildcard::upperUnit(units[first]) == units[first])
        ++first;
    if (first == size)
        return name;
    QString key = name;
    char16_t *out = reinterpret_cast<char16_t *>(key.data());
    for (qsizetype i = first; i < size; ++i)
        out[i] = Wildcard::upperUnit(out[i]);
    return key;
}

std::u16string_view units(const QString &text)
{
    return {reinterpret_cast<const char16_t *>(text.constData()), size_t(text.size())};
}

struct Entry
{
    QString name;
    QString key;
};

bool isAscii(const char *bytes)
{
    for (; *bytes; ++bytes) {
        if (static_cast<unsigned char>(*bytes) >= 0x80)
            return false;
    }
    return true;
}

// Whether the entry is a file the picker can list, asking the disk only when
// the folder's own record does not say: for links, and on file systems that
// leave the type open.
bool isListedFile(int folderFd, const dirent &entry)
{
    switch (entry.d_type) {
    case DT_REG:
        return true;
    case DT_LNK:
    case DT_UNKNOWN: {
        struct stat info;
        // Follows a link to what it points at, so a link to a file counts as
        // the file and a broken link fails here and is left out.
        return ::fstatat(folderFd, entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
    }
    default:
        return false;
    }
}

} // namespace

QStringList ListFiles(const QString &pattern, const QString &folder)
{
    QString path = folder.isEmpty() ? QCoreApplication::applicationDirPath() + u'/' : folder;
    path.replace(u'\\', u'/');
    if (!path.endsWith(u'/'))
        path += u'/';

    DIR *dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir)
        return {};
    const int folderFd = ::dirfd(dir);
    const Wildcard wildcard(pattern);

    // A name that is not valid UTF-8 (written in another code page by an old
    // archiver, say) is still listed, with stand-in characters where its bytes
    // make no sense. Leaving it out would shift the parts after it by one, and
    // the face codes saved with them would then point at other parts. The
    // picker can show such a name but cannot open the file by it, as with any
    // picture it cannot read; one warning per folder says how many names are
    // affected, so the user knows to rename them.
    std::vector<Entry> entries;
    int undecodableCount = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == '\0' || (raw[1] == '.' && raw[2] == '\0')))
            continue;
        if (entry->d_type != DT_REG && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            continue;
        QString name = QFile::decodeName(raw);
        if (!wildcard.matches(name) || !isListedFile(folderFd, *entry))
            continue;
        if (!isAscii(raw) && QFile::encodeName(name) != raw)
            ++undecodableCount;
        QString key = upperKey(name);
        entries.push_back({std::move(name), std::move(key)});
    }
    ::closedir(dir);

    if (undecodableCount > 0) {
        qWarning().noquote() << u"%1 file name(s) in \"%2\" are not valid UTF-8; they are listed "
                                u"with stand-in characters and cannot be opened"_s.arg(
                                    QString::number(undecodableCount), path);
    }

    // Names that differ only in case cannot share an NTFS folder but can share
    // a Linux one; the names themselves break the tie, so the same folder
    // always gives the same order. (Two names left equal are undecodable names
    // that became the same text, and which of them comes first shows nowhere.)
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        if (const int c = units(a.key).compare(units(b.key)))
            return c < 0;
        return units(a.name).compare(units(b.name)) < 0;
    });

    QStringList names;
    names.reserve(qsizetype(entries.size()));
    for (Entry &entry : entries)
        names.push_back(std::move(entry.name));
    return names;
}

std::array<QStringList, 4> listLibrary(const QString &appDir)
{
    std::array<QStringList, 4> parts;
    for (Category category : Categories::Drawing) {
        parts[size_t(category)] =
            ListFiles(QStringLiteral("*.*"), appDir + u'/' + Categories::word(category) + u'/');
    }
    return parts;
}

} // namespace FileListing
