// Feeds hostile settings files and generated names and values to the INI
// layer. The properties:
//  - any file reads without a fault, and every value read fits the 254 bytes
//    of code page 932 the profile functions give;
//  - a write that the rules refuse leaves the file byte for byte as it was
//    (one they allow may still be refused, when the file's odd lines would
//    hide the key written; the file then stays as it was too);
//  - after any other write the key reads back the value written (without the
//    blanks and quotes around it, cut to 254 bytes, as every value reads);
//  - a write changes at most one line of the file, and no other key's value.
#include "platform/IniFile.h"

#include "FixedRun.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

QTemporaryDir *g_folder = nullptr;
int g_written = 0;

[[noreturn]] void fail(const char *what, const QByteArray &file, const QStringList &texts)
{
    std::fprintf(stderr, "ini file: %s; texts:", what);
    for (const QString &text : texts)
        std::fprintf(stderr, " \"%s\" (%s)", qUtf8Printable(text),
                     QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2)
                         .toHex()
                         .constData());
    std::fprintf(stderr, "; file: %s\n", file.toHex(' ').constData());
    std::abort();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString cutAtNull(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

QString withoutBlanksAround(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

QString name(const QString &text)
{
    return withoutBlanksAround(cutAtNull(text));
}

bool sameName(const QString &a, const QString &b)
{
    return a.toCaseFolded() == b.toCaseFolded();
}

bool fitsCodePage(const QString &text)
{
    QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder.encode(text);
    return !encoder.hasError();
}

qsizetype codePageBytes(const QString &text)
{
    QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
    return QByteArray(encoder.encode(text)).size();
}

// What a value reads as: without the blanks and then the quotes around it,
// then as many whole characters as fit 254 bytes.
QString readForm(const QString &written)
{
    QString value = withoutBlanksAround(written);
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front()) {
        value = value.mid(1, value.size() - 2);
    }
    QString cut;
    for (QChar c : value) {
        if (codePageBytes(cut + c) > 254)
            break;
        cut += c;
    }
    return cut;
}

// Whether the rules refuse the write: names and text that cannot be one line
// of the file, text outside code page 932, or a file that is not code page
// 932 text as writing gives it, or holds a NUL.
bool refused(const QString &appName, const QString &key, const QString &text,
             const QByteArray &file)
{
    const QString section = name(appName);
    const QString keyName = name(key);
    const QString value = cutAtNull(text);
    const auto hasBreak = [](const QString &s) { return s.contains(u'\r') || s.contains(u'\n'); };
    if (section.isEmpty() || keyName.isEmpty() || hasBreak(section) || hasBreak(keyName) ||
        hasBreak(value) || section.contains(u']') || keyName.contains(u'=') ||
        keyName.startsWith(u'[') || keyName.startsWith(u';') || keyName.startsWith(u'#')) {
        return true;
    }
    if (!fitsCodePage(section) || !fitsCodePage(keyName) || !fitsCodePage(value))
        return true;
    QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
    const QString decoded = decoder.decode(file);
    QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
    return decoder.hasError() || QByteArray(encoder.encode(decoded)) != file || file.contains('\0');
}

// What differs between two files, once what they share at the start and the
// end is set aside: the old part must lie within one line.
bool changesOneLine(const QByteArray &before, const QByteArray &after)
{
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        ++tail;
    }
    const QByteArray removed = before.mid(head, before.size() - head - tail);
    return !removed.contains('\n') && !removed.contains('\r');
}

// Bytes read as text: ASCII as it is, 0x80 to 0xEF one of the characters that
// matter to a settings file beyond ASCII, and from 0xF0 up the next two bytes
// as any UTF-16 unit.
class Texts
{
public:
    Texts(const uint8_t *data, size_t size) : m_at(data), m_end(data + size) {}

    // A length byte, then the text; lengths from 0xC0 up stand for long
    // texts of the characters that follow repeated.
    QString next()
    {
        if (m_at == m_end)
            return {};
        const uint8_t length = *m_at++;
        QString text;
        for (int i = 0; i < (length & 0x3f) && m_at < m_end; ++i)
            text += character();
        if (length >= 0xc0)
            text = text.repeated(1 + 300 / std::max<qsizetype>(1, text.size()));
        return text;
    }

    QByteArray rest() const
    {
        return QByteArray(reinterpret_cast<const char *>(m_at), m_end - m_at);
    }

private:
    QChar character()
    {
        static const QString special = u"顔ゾａＡαΑéß〜\uFFFD　\u0085"_s;
        const uint8_t byte = *m_at++;
        if (byte < 0x80)
            return QChar(char16_t(byte));
        if (byte < 0xf0 || m_end - m_at < 2)
            return special.at(byte % special.size());
        const char16_t unit = char16_t(m_at[0] << 8 | m_at[1]);
        m_at += 2;
        return QChar(unit);
    }

    const uint8_t *m_at;
    const uint8_t *m_end;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Removed with its files when the run ends.
    static QTemporaryDir folder;
    g_folder = &folder;
    if (!g_folder->isValid())
        fail("no temporary folder", {}, {});
    return 0;
}

// The input: five texts (section, key and value written, then a section and
// key of another value), then the file as it was.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Texts texts(data, size);
    const QString appName = texts.next();
    const QString key = texts.next();
    const QString text = texts.next();
    const QString otherApp = texts.next();
    const QString otherKey = texts.next();
    const QByteArray before = texts.rest();
    const QStringList all{appName, key, text, otherApp, otherKey};

    IniFile ini;
    ini.setIniFile(g_folder->filePath(u"settings.ini"_s));
    QFile::remove(ini.iniFile());
    const bool exists = !before.isEmpty() || (size > 0 && data[0] & 0x40);
    if (exists) {
        QFile file(ini.iniFile());
        if (!file.open(QIODevice::WriteOnly) || file.write(before) != before.size())
            fail("cannot write the file", before, all);
    }

    const QString otherBefore = ini.GetIni(otherApp, otherKey, u"-"_s);
    for (const QString &value : {otherBefore, ini.GetIni(appName, key)}) {
        if (codePageBytes(value) > 254 && fitsCodePage(value))
            fail("a value read is longer than 254 bytes", before, all);
    }

    ini.SetIni(appName, key, text);
    const QByteArray after = readBytes(ini.iniFile());
    if (refused(appName, key, text, before)) {
        if (after != before || QFile::exists(ini.iniFile()) != exists)
            fail("a refused write changed the file", before, all);
        return 0;
    }
    // A file whose odd lines the parser reads otherwise than one of good lines
    // can make the layer refuse a write the rules allow; it then stays whole.
    if (after == before && QFile::exists(ini.iniFile()) == exists &&
        ini.GetIni(appName, key, u"-"_s) != readForm(cutAtNull(text))) {
        return 0;
    }
    ++g_written;
    if (ini.GetIni(appName, key, u"-"_s) != readForm(cutAtNull(text)))
        fail("the key does not read back the value written", before, all);
    if (!changesOneLine(before, after))
        fail("a write changed more than one line", before, all);
    const bool sameKey =
        sameName(name(otherApp), name(appName)) && sameName(name(otherKey), name(key));
    if (!sameKey && ini.GetIni(otherApp, otherKey, u"-"_s) != otherBefore)
        fail("a write changed another key's value", before, all);
    return 0;
}

#ifndef KAOGUMI_LIBFUZZER
namespace {

// Names and values of a few letters, then a settings file of lines such as
// the layer meets, now and then an odd one.
std::string settings(std::mt19937 &random)
{
    static const std::string_view signs = "abAB \t=;#[]\"'\x80\x81\x82\x85\x88";
    static const char *const lines[] = {"[a]\r\n", "[A] \r\n", "b=1\r\n",      " B = 2 \n",
                                        "; c\r\n", "\r\n",     "[\x8a\xe7]\n", "c=\"x\"\r\n",
                                        "[\r\n",   "b\r\n",    "=3\r\n",       "[b"};
    std::string input;
    for (int i = 0; i < 5; ++i) {
        const std::string text =
            FixedRun::soup(random, 4, random() % 4 ? "abcABC\x84\x85\x86\x89" : signs);
        input += char(random() % 16 == 0 ? 0xc0 + text.size() : text.size());
        input += text;
    }
    for (size_t n = random() % 8; n > 0; --n)
        input += lines[random() % std::size(lines)];
    return input;
}

} // namespace

int main(int argc, char **argv)
{
    const int status = FixedRun::run(argc, argv, "fuzz_inifile", 3000, settings);
    std::printf("fuzz_inifile: %d writes done\n", g_written);
    // A run that never got past the refusals would check next to nothing.
    return status == 0 && g_written > 750 ? 0 : 1;
}
#endif
