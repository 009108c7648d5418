#include "selection/FileListing.h"

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

// NTFS compares names through its table of upper-case letters: each UTF-16 unit
// on its own, one unit to one unit. So "ß" stays "ß" (it does not become
// "SS"), and the halves of a surrogate pair are left as they are.
char16_t upperUnit(char16_t unit)
{
    if (unit < 0x80)
        return (unit >= u'a' && unit <= u'z') ? char16_t(unit - (u'a' - u'A')) : unit;
    const char32_t upper = QChar::toUpper(char32_t(unit));
    return upper > 0xFFFF ? unit : char16_t(upper);
}

// The name as NTFS sees it when it orders a folder. Shares the name's text when
// nothing changes, which is the usual case for part files.
QString upperKey(const QString &name)
{
    const qsizetype size = name.size();
    const char16_t *units = reinterpret_cast<const char16_t *>(name.constData());
    qsizetype first = 0;
    while (first < size && upperUnit(units[first]) == units[first])
        ++first;
    if (first == size)
        return name;
    QString key = name;
    char16_t *out = reinterpret_cast<char16_t *>(key.data());
    for (qsizetype i = first; i < size; ++i)
        out[i] = upperUnit(out[i]);
    return key;
}

std::u16string_view units(const QString &text)
{
    return {reinterpret_cast<const char16_t *>(text.constData()), size_t(text.size())};
}

// A folder search pattern read the way Windows reads it. Windows turns the
// pattern the user gave into one with three extra wildcards before it compares
// names, and a pattern such as "h??.png" or "*." only means what Windows users
// expect once those are in place:
//  - "*.*" is "*": every name, with or without a dot;
//  - a "?" takes one character, or none when the name has reached a dot or
//    its end, so "h??.png" also takes "h1.png" and "h.png";
//  - a "." before "?", "*" or the pattern's end takes a dot, or nothing at the
//    end of the name, so "foo.*" takes "foo" and "*." takes names with no dot;
//  - a "*" before "." takes characters up to, but not including, the name's
//    last dot, so "*.png" does not take "x.png.bak".
// Letters are compared without regard to case, the same way names are ordered.
class Wildcard
{
public:
    explicit Wildcard(const QString &pattern)
    {
        const QString text = pattern == u"*.*"_s ? u"*"_s : pattern;
        const qsizetype size = text.size();
        for (qsizetype i = 0; i < size; ++i) {
            const QChar c = text.at(i);
            const QChar next = i + 1 < size ? text.at(i + 1) : QChar();
            if (c == u'?')
                m_tokens.push_back({Kind::OneOrNone, 0});
            else if (c == u'.' && (next.isNull() || next == u'?' || next == u'*'))
                m_tokens.push_back({Kind::DotOrEnd, 0});
            else if (c == u'*' && next == u'.')
                m_tokens.push_back({Kind::UpToLastDot, 0});
            else if (c == u'*')
                m_tokens.push_back({Kind::Any, 0});
            else
                m_tokens.push_back({Kind::Literal, upperUnit(c.unicode())});
        }
        m_matchesAll = std::all_of(m_tokens.begin(), m_tokens.end(),
                                   [](const Token &t) { return t.kind == Kind::Any; }) &&
                       !m_tokens.empty();
    }

    bool matches(const QString &name) const
    {
        if (m_matchesAll)
            return true;
        // Follows every way the pattern can line up with the name at once, so a
        // pattern full of "*" never takes more than pattern length times name
        // length steps.
        const std::u16string_view text = units(name);
        const size_t lastDot = text.rfind(u'.');
        const size_t count = m_tokens.size();
        std::vector<char> now(count + 1, 0);
        std::vector<char> next(count + 1, 0);
        now[0] = 1;
        for (size_t pos = 0;; ++pos) {
            const bool atEnd = pos == text.size();
            const char16_t c = atEnd ? 0 : text[pos];
            // Positions reached without taking a character, given what comes next.
            for (size_t t = 0; t < count; ++t) {
                if (now[t] && skips(m_tokens[t].kind, atEnd, c))
                    now[t + 1] = 1;
            }
            if (atEnd)
                return now[count] != 0;
            std::fill(next.begin(), next.end(), 0);
            bool any = false;
            for (size_t t = 0; t < count; ++t) {
                if (!now[t])
                    continue;
                const Token &token = m_tokens[t];
                switch (token.kind) {
                case Kind::Any:
                    next[t] = 1;
                    break;
                case Kind::UpToLastDot:
                    if (!(c == u'.' && pos == lastDot))
                        next[t] = 1;
                    break;
                case Kind::OneOrNone:
                    if (c != u'.')
                        next[t + 1] = 1;
                    break;
                case Kind::DotOrEnd:
                    if (c == u'.')
                        next[t + 1] = 1;
                    break;
                case Kind::Literal:
                    if (upperUnit(c) == token.unit)
                        next[t + 1] = 1;
                    break;
                }
                any = any || next[t] || next[t + 1];
            }
            if (!any)
                return false;
            now.swap(next);
        }
    }

private:
    enum class Kind : unsigned char { Literal, Any, UpToLastDot, OneOrNone, DotOrEnd };
    struct Token
    {
        Kind kind;
        char16_t unit;
    };

    static bool skips(Kind kind, bool atEnd, char16_t c)
    {
        switch (kind) {
        case Kind::Any:
        case Kind::UpToLastDot:
            return true;
        case Kind::OneOrNone:
            return atEnd || c == u'.';
        case Kind::DotOrEnd:
            return atEnd;
        case Kind::Literal:
            return false;
        }
        return false;
    }

    std::vector<Token> m_tokens;
    bool m_matchesAll = false;
};

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

} // namespace FileListing
