#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/FileDlgMod.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

// The parser works on UTF-8 text that we decode from code page 932 ourselves;
// its own converters are not needed.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace {

// Windows compares section and key names case-insensitively over all of
// Unicode (full-width Ａ and ａ, Greek, Cyrillic alike), not only over ASCII as
// the parser's own comparison does.
struct NoCaseUtf8
{
    bool operator()(const char *left, const char *right) const
    {
        return QString::compare(QString::fromUtf8(left), QString::fromUtf8(right),
                                Qt::CaseInsensitive) < 0;
    }
};
using Parser = CSimpleIniTempl<char, NoCaseUtf8, SI_ConvertA<char>>;

constexpr char CodePage[] = "windows-31j";

// The value buffer of the profile functions holds 255 bytes with the closing
// NUL, so a value is cut to 254 bytes of code page 932. A double-byte
// character that would not fit whole is left out, as a string cannot hold
// half of one.
QString cutToBuffer(const QString &text)
{
    constexpr qsizetype MaxBytes = 254;
    if (text.size() * 2 <= MaxBytes)
        return text;
    QStringEncoder encoder(CodePage, QStringConverter::Flag::Stateless);
    qsizetype bytes = 0, kept = 0;
    while (kept < text.size()) {
        const qsizetype length = text.at(kept).isHighSurrogate() && kept + 1 < text.size() ? 2 : 1;
        bytes += QByteArray(encoder(QStringView(text).mid(kept, length))).size();
        if (bytes > MaxBytes)
            break;
        kept += length;
    }
    return text.left(kept);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString withoutTrailingBlanks(QString text)
{
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

// Blanks around a name are not part of it, in the file as in a call.
QString trimmedName(const QString &name)
{
    qsizetype begin = 0, end = name.size();
    while (begin < end && isBlank(name.at(begin)))
        ++begin;
    while (end > begin && isBlank(name.at(end - 1)))
        --end;
    return name.mid(begin, end - begin);
}

bool sameName(const QString &left, const QString &right)
{
    return QString::compare(left, right, Qt::CaseInsensitive) == 0;
}

// The file's text, or nothing when it is missing, unreadable or not a file.
std::optional<QByteArray> readFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// One line of the file as the parser sees it.
struct Line
{
    enum class Kind { Other, Section, Key };
    QString text;
    QString end; // the line break after it, "" for a last line without one
    Kind kind = Kind::Other;
    QString name;         // the section's or the key's name
    qsizetype keyEnd = 0; // for a key: where its "=" stands
};

// Writes edit the file's lines themselves: the parser, saving, would write the
// whole file anew, dropping the lines it skips (a key without "=", a comment
// at the end), putting blanks around every "=" and changing CR LF to LF.
//
// Splits text into lines and names them by the parser's own rules: a line
// whose first non-blank character is "[" and that holds a "]" starts a
// section, one holding "=" after a non-empty name is a key, and everything
// else (comments, blank lines, lines the parser skips) is kept untouched.
QList<Line> splitLines(const QString &text)
{
    QList<Line> lines;
    qsizetype at = 0;
    while (at < text.size()) {
        Line line;
        qsizetype end = at;
        while (end < text.size() && text.at(end) != u'\r' && text.at(end) != u'\n')
            ++end;
        line.text = text.mid(at, end - at);
        const qsizetype breakLength =
            end + 1 < text.size() && text.at(end) == u'\r' && text.at(end + 1) == u'\n' ? 2
            : end < text.size()                                                         ? 1
                                                                                        : 0;
        line.end = text.mid(end, breakLength);
        at = end + breakLength;

        const QString content = trimmedName(line.text);
        if (content.startsWith(u'[')) {
            const qsizetype close = content.indexOf(u']');
            if (close > 0) {
                line.kind = Line::Kind::Section;
                line.name = trimmedName(content.mid(1, close - 1));
            }
        } else if (!content.startsWith(u';') && !content.startsWith(u'#')) {
            const qsizetype equals = line.text.indexOf(u'=');
            if (equals >= 0 && !trimmedName(line.text.left(equals)).isEmpty()) {
                line.kind = Line::Kind::Key;
                line.name = trimmedName(line.text.left(equals));
                line.keyEnd = equals;
            }
        }
        lines.append(line);
    }
    return lines;
}

// Whether name and value can be written as one line that reads back as the
// same section, key and value.
bool writable(const QString &appName, const QString &key, const QString &text)
{
    const auto hasBreak = [](const QString &s) { return s.contains(u'\r') || s.contains(u'\n'); };
    if (appName.isEmpty() || key.isEmpty() || hasBreak(appName) || hasBreak(key) || hasBreak(text))
        return false;
    if (appName.contains(u']'))
        return false;
    return !key.contains(u'=') && !key.startsWith(u'[') && !key.startsWith(u';') &&
           !key.startsWith(u'#');
}

// The value the parser finds for the key in the file's bytes, before it is
// unquoted and cut; nothing when it finds none.
std::optional<QString> parsedValue(const QByteArray &bytes, const QString &sectionName,
                                   const QString &keyName)
{
    // Bytes that are not code page 932 read as U+FFFD, the rest of the file
    // still reads.
    QStringDecoder decoder(CodePage, QStringConverter::Flag::Stateless);
    const QByteArray utf8 = QString(decoder(bytes)).toUtf8();

    Parser parser(/*a_bIsUtf8=*/true, /*a_bMultiKey=*/true, /*a_bMultiLine=*/false);
    if (parser.LoadData(utf8.constData(), size_t(utf8.size())) < 0)
        return std::nullopt;
    const char *found =
        parser.GetValue(sectionName.toUtf8().constData(), keyName.toUtf8().constData(), nullptr);
    if (!found)
        return std::nullopt;
    return QString::fromUtf8(found);
}

} // namespace

QString IniFile::GetIni(const QString &appName, const QString &section,
                        const QString &defaultText) const
{
    // Strings reach the profile functions as C strings: they end at a NUL.
    const QString fallback = cutToBuffer(withoutTrailingBlanks(FileDlgMod::CutAtNull(defaultText)));
    const QString sectionName = trimmedName(FileDlgMod::CutAtNull(appName));
    const QString keyName = trimmedName(FileDlgMod::CutAtNull(section));
    if (m_iniFile.isEmpty() || sectionName.isEmpty() || keyName.isEmpty())
        return fallback;
    const std::optional<QByteArray> bytes = readFile(m_iniFile);
    if (!bytes)
        return fallback;
    const std::optional<QString> found = parsedValue(*bytes, sectionName, keyName);
    if (!found)
        return fallback;
    QString value = *found;
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return cutToBuffer(value);
}

QString IniFile::SetIni(const QString &appName, const QString &section, const QString &text) const
{
    const QString sectionName = trimmedName(FileDlgMod::CutAtNull(appName));
    const QString keyName = trimmedName(FileDlgMod::CutAtNull(section));
    const QString value = FileDlgMod::CutAtNull(text);
    if (m_iniFile.isEmpty() || !writable(sectionName, keyName, value))
        return QString();

    QString content;
    if (QFileInfo::exists(m_iniFile)) {
        const std::optional<QByteArray> bytes = readFile(m_iniFile);
        if (!bytes)
            return QString();
        // A file that is not code page 932 text would not come back byte for
        // byte: it is left alone. So is one holding a character by a second
        // code of that code page (the NEC and IBM rows give some of them
        // two), which writing would give its first code, and one holding a
        // NUL, where reading stops: writing its line would bring what
        // follows to light.
        QStringDecoder decoder(CodePage, QStringConverter::Flag::Stateless);
        content = decoder(*bytes);
        QStringEncoder again(CodePage, QStringConverter::Flag::Stateless);
        if (decoder.hasError() || QByteArray(again(content)) != *bytes || bytes->contains('\0'))
            return QString();
    }

    QList<Line> lines = splitLines(content);
    // New lines end the way the file's lines end; a new file gets CR LF, as
    // on Windows.
    QString lineBreak = QStringLiteral("\r\n");
    for (const Line &line : lines) {
        if (!line.end.isEmpty()) {
            lineBreak = line.end;
            break;
        }
    }

    // The first key of that name in any section of that name is the one a
    // read finds; a new key goes after the last key of the first such section.
    qsizetype keyLine = -1, insertAfter = -1;
    bool inSection = false, inFirstSection = false;
    for (qsizetype i = 0; i < lines.size() && keyLine < 0; ++i) {
        const Line &line = lines.at(i);
        if (line.kind == Line::Kind::Section) {
            inSection = sameName(line.name, sectionName);
            inFirstSection = inSection && insertAfter < 0;
            if (inFirstSection)
                insertAfter = i;
        } else if (line.kind == Line::Kind::Key && inSection) {
            if (sameName(line.name, keyName))
                keyLine = i;
            else if (inFirstSection)
                insertAfter = i;
        }
    }

    const auto newLine = [&](const QString &lineText) {
        Line line;
        line.text = lineText;
        line.end = lineBreak;
        return line;
    };
    const auto endLine = [&](qsizetype i) {
        if (i >= 0 && lines[i].end.isEmpty())
            lines[i].end = lineBreak;
    };
    if (keyLine >= 0) {
        Line &line = lines[keyLine];
        line.text = withoutTrailingBlanks(line.text.left(line.keyEnd)) + u'=' + value;
    } else if (insertAfter >= 0) {
        endLine(insertAfter);
        lines.insert(insertAfter + 1, newLine(keyName + u'=' + value));
    } else {
        endLine(lines.size() - 1);
        lines.append(newLine(u'[' + sectionName + u']'));
        lines.append(newLine(keyName + u'=' + value));
    }

    QString updated;
    for (const Line &line : std::as_const(lines))
        updated += line.text + line.end;
    QStringEncoder encoder(CodePage, QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder(updated);
    if (encoder.hasError())
        return QString();
    // The lines are found by the parser's rules, but a file of odd lines can
    // still read otherwise (a lone "[" takes the next line's text up to its
    // "]" as a section name): the key must read back as it would alone.
    const QByteArray alone =
        encoder(u'[' + sectionName + QStringLiteral("]\r\n") + keyName + u'=' + value);
    if (parsedValue(bytes, sectionName, keyName) != parsedValue(alone, sectionName, keyName))
        return QString();
    // Whether it worked is not reported; a failed write leaves the old file.
    AtomicFile::write(m_iniFile, bytes);
    return QString();
}
