// Feeds generated filter lists to their conversion into file dialog entries.
// The properties:
//  - the entries are those of a second reading of the list by its rules:
//    description and patterns alternating, each followed by "|", patterns
//    separated by ";" without the blanks around them, "*.*" standing for
//    every file, an entry without a pattern dropped;
//  - each entry's suffix is the extension of its first pattern when that
//    pattern names exactly one;
//  - the list written back from the entries gives the same entries again;
//  - Qt's file dialog, given an entry, filters by exactly its patterns, when
//    they are of the characters Qt's filter syntax holds.
#include "platform/FileDlg.h"

#include "FixedRun.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void fail(const char *what, const QString &list)
{
    std::fprintf(stderr, "filter list: %s; list \"%s\"\n", what, qUtf8Printable(list));
    std::abort();
}

bool isBlank(QChar c)
{
    return c.isSpace();
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

// The list read by its rules, character by character.
QList<FileDlg::NameFilter> ruleEntries(const QString &list)
{
    QStringList fields{QString()};
    for (QChar c : list) {
        if (c == u'|')
            fields.append(QString());
        else
            fields.last() += c;
    }
    QList<FileDlg::NameFilter> entries;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) {
        FileDlg::NameFilter entry;
        entry.description = fields.at(i);
        QString pattern;
        const QString patterns = fields.at(i + 1) + u';';
        for (QChar c : patterns) {
            if (c != u';') {
                pattern += c;
                continue;
            }
            pattern = withoutBlanksAround(pattern);
            if (!pattern.isEmpty())
                entry.patterns.append(pattern == u"*.*" ? u"*"_s : pattern);
            pattern.clear();
        }
        if (entry.patterns.isEmpty())
            continue;
        const QString first = entry.patterns.first();
        if (first.size() > 2 && first.startsWith(u"*.") && !first.mid(2).contains(u'*') &&
            !first.mid(2).contains(u'?') && !first.mid(2).contains(u'[')) {
            entry.suffix = first.mid(2);
        }
        entries.append(entry);
    }
    return entries;
}

QString written(const QList<FileDlg::NameFilter> &entries)
{
    QString list;
    for (const FileDlg::NameFilter &entry : entries)
        list += entry.description + u'|' + entry.patterns.join(u';') + u'|';
    return list;
}

QFileDialog *g_dialog = nullptr;
QFileSystemModel *g_model = nullptr;

// The patterns Qt's dialog filters by when given the entry.
QStringList qtPatterns(const QString &qtFilter)
{
    g_dialog->setNameFilters({qtFilter});
    return g_model->nameFilters();
}

// Qt's filter syntax holds patterns of ASCII letters, digits and some signs,
// separated by blanks, after a description of one line of text; the
// program's own filter lists keep to them.
bool qtCanHold(const FileDlg::NameFilter &entry)
{
    if (!entry.description.isValidUtf16())
        return false;
    for (QChar c : entry.description) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph) {
            return false;
        }
    }
    for (const QString &pattern : entry.patterns) {
        for (QChar c : pattern) {
            if (!(c.unicode() < 0x80 && c.isLetterOrNumber()) &&
                !u"_.,*?+#-[]@{}/!<>$%&=^~:"_s.contains(c)) {
                return false;
            }
        }
    }
    return true;
}

void check(const QString &list)
{
    const QList<FileDlg::NameFilter> entries = FileDlg::parseFilterList(list);
    const QList<FileDlg::NameFilter> expected = ruleEntries(list);
    if (entries.size() != expected.size())
        fail("the number of entries differs from the rules'", list);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const FileDlg::NameFilter &entry = entries.at(i);
        if (entry.description != expected.at(i).description ||
            entry.patterns != expected.at(i).patterns || entry.suffix != expected.at(i).suffix) {
            fail("an entry differs from the rules'", list);
        }
        if (qtCanHold(entry) && qtPatterns(entry.qtFilter) != entry.patterns)
            fail("Qt's dialog reads other patterns from the entry", list);
    }
    const QList<FileDlg::NameFilter> again = FileDlg::parseFilterList(written(entries));
    if (written(again) != written(entries))
        fail("the list written back gives other entries", list);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    g_dialog = new QFileDialog;
    g_dialog->setOption(QFileDialog::DontUseNativeDialog);
    g_model = g_dialog->findChild<QFileSystemModel *>();
    if (!g_model)
        fail("Qt's dialog has no file system model", {});
    return 0;
}

// The input: bytes picking characters of a filter list, from 0xF0 up the
// next two bytes as any UTF-16 unit.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString alphabet = u"||;;**..??ab kgmKGM[]\t画像"_s;
    QString list;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] >= 0xf0 && i + 2 < size) {
            list += QChar(char16_t(data[i + 1] << 8 | data[i + 2]));
            i += 2;
        } else {
            list += alphabet.at(data[i] % alphabet.size());
        }
    }
    check(list);
    return 0;
}

#ifndef KAOGUMI_LIBFUZZER
namespace {

std::string filterList(std::mt19937 &random)
{
    // Bytes that pick each character of the alphabet above.
    static const std::string picks = [] {
        std::string bytes;
        for (char b = 0; b < 24; ++b)
            bytes += b;
        return bytes;
    }();
    return FixedRun::soup(random, 40, picks);
}

} // namespace

int main(int argc, char **argv)
{
    return FixedRun::run(argc, argv, "fuzz_filterlist", 20000, filterList);
}
#endif
