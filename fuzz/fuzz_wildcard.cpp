// Feeds generated patterns and names to the folder search wildcard. Built with
// clang's libFuzzer when KAOGUMI_FUZZ is on; otherwise a small driver runs a
// fixed number of generated inputs, and a few long patterns full of "*" on a
// clock, so the same checks run with every test run. The properties:
//  - "*" and "*.*" match every name;
//  - a pattern without wildcards matches exactly the names equal to it,
//    letters compared without regard to case;
//  - changing the case of letters in the pattern or the name changes nothing;
//  - on short texts, the answer is that of a regular expression written from
//    the same rules (a second, independent matcher).
#include "selection/Wildcard.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

// The characters that mean something to a pattern, letters in both cases, a
// few beyond ASCII (ß has no one-letter capital) and a sign a regular
// expression would read as its own.
const QString kAlphabet = u"*?..aAbBsSxX0éÉßẞ[ "_s;

[[noreturn]] void fail(const char *what, const QString &pattern, const QString &name)
{
    std::fprintf(stderr, "wildcard: %s; pattern \"%s\", name \"%s\"\n", what,
                 qUtf8Printable(pattern), qUtf8Printable(name));
    std::abort();
}

QString upper(const QString &text)
{
    QString result = text;
    for (QChar &c : result)
        c = Wildcard::upperUnit(c.unicode());
    return result;
}

// Swaps the case of the ASCII letters chosen by the bits of mask.
QString swapCase(const QString &text, uint32_t mask)
{
    QString result = text;
    for (qsizetype i = 0; i < result.size(); ++i) {
        const QChar c = result.at(i);
        if ((mask >> (i % 32)) & 1 && c.unicode() < 0x80 && c.isLetter())
            result[i] = c.isUpper() ? c.toLower() : c.toUpper();
    }
    return result;
}

// The same rules as a regular expression, matched against the upper-cased
// name by PCRE.
bool oracleMatches(const QString &pattern, const QString &name)
{
    QString expression = u"^"_s;
    const QString text = upper(pattern);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (c == u'?')
            expression += uR"((?:[^.]|(?=\.|\z)))"_s;
        else if (c == u'.' && (next.isNull() || next == u'?' || next == u'*'))
            expression += uR"((?:\.|\z))"_s;
        else if (c == u'*' && next == u'.')
            expression += uR"((?:(?!\.[^.]*\z).)*)"_s;
        else if (c == u'*')
            expression += u".*"_s;
        else
            expression += QRegularExpression::escape(QString(c));
    }
    expression += uR"(\z)"_s;
    const QRegularExpression re(expression, QRegularExpression::DotMatchesEverythingOption);
    if (!re.isValid())
        fail("the oracle's expression is not valid", pattern, name);
    return re.match(upper(name)).hasMatch();
}

bool hasSurrogate(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); });
}

bool hasWildcard(const QString &pattern)
{
    return pattern.contains(u'*') || pattern.contains(u'?') || pattern.endsWith(u'.');
}

void check(const QString &pattern, const QString &name, uint32_t mask)
{
    const bool matches = Wildcard(pattern).matches(name);
    if (!Wildcard(u"*"_s).matches(name) || !Wildcard(u"*.*"_s).matches(name))
        fail("\"*\" or \"*.*\" left out a name", pattern, name);
    if (!hasWildcard(pattern) && matches != (upper(pattern) == upper(name)))
        fail("a pattern without wildcards matched other than the equal names", pattern, name);
    if (!hasWildcard(pattern) && !Wildcard(pattern).matches(swapCase(pattern, mask)))
        fail("a pattern without wildcards missed itself in other case", pattern, name);
    if (Wildcard(swapCase(pattern, mask)).matches(name) != matches ||
        Wildcard(pattern).matches(swapCase(name, ~mask)) != matches) {
        fail("the case of a letter changed the answer", pattern, name);
    }
    // Few enough "*" that the regular expression's trying one way after
    // another stays quick; no surrogates, since the expression matches whole
    // characters where the pattern takes UTF-16 units.
    const bool oracleSafe = pattern.size() <= 16 && name.size() <= 24 && pattern.count(u'*') <= 4 &&
                            !hasSurrogate(pattern) && !hasSurrogate(name);
    if (oracleSafe && oracleMatches(pattern, name) != matches)
        fail("the answer differs from the regular expression's", pattern, name);
}

// A text from the input: most bytes pick from the alphabet, a byte from 0xF0
// up takes the next two bytes as any UTF-16 unit.
QString takeText(const uint8_t *&data, const uint8_t *end, size_t length)
{
    QString text;
    for (; data < end && size_t(text.size()) < length; ++data) {
        if (*data >= 0xf0 && end - data >= 3) {
            text += QChar(char16_t(data[1] << 8 | data[2]));
            data += 2;
        } else {
            text += kAlphabet.at(*data % kAlphabet.size());
        }
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const uint32_t mask = data[0] * 0x01010101u;
    const size_t patternLength = data[1] % 32;
    const uint8_t *at = data + 2;
    const uint8_t *end = data + size;
    const QString pattern = takeText(at, end, patternLength);
    const QString name = takeText(at, end, size);
    check(pattern, name, mask);
    // A name equal to the pattern, wildcards and all, is one it must take.
    if (!Wildcard(pattern).matches(pattern))
        fail("a pattern missed the name written as itself", pattern, pattern);
    return 0;
}

#ifndef KAOGUMI_LIBFUZZER
#include <random>
#include <vector>

namespace {

// Patterns full of "*" that a matcher trying one way after another would take
// years over; the pattern and name lengths give pattern times name steps.
void checkTime()
{
    struct Case
    {
        QString pattern;
        QString name;
        bool matches;
    };
    const std::vector<Case> cases{
        {u"*a"_s.repeated(1000) + u'b', QString(4000, u'a'), false},
        {u"*a"_s.repeated(1000), QString(4000, u'a'), true},
        {u"*?"_s.repeated(1000) + u"*.x"_s, QString(4000, u'.'), false},
        {u"*.*"_s.repeated(700), u"a."_s.repeated(2000), true},
        {u"?*"_s.repeated(1500), QString(4000, u'a') + u'.', true},
    };
    for (const Case &c : cases) {
        QElapsedTimer clock;
        clock.start();
        const bool matches = Wildcard(c.pattern).matches(c.name);
        const qint64 elapsed = clock.elapsed();
        if (matches != c.matches)
            fail("a long pattern gave the wrong answer", c.pattern.left(20), c.name.left(20));
        // About ten million steps: milliseconds. The bound leaves room for a
        // sanitizer build on a busy machine.
        if (elapsed > 5000)
            fail("a long pattern took seconds", c.pattern.left(20), c.name.left(20));
    }
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20000;
    checkTime();
    std::mt19937 random(20261208);
    for (int i = 0; i < runs; ++i) {
        std::vector<uint8_t> input(2 + random() % 40);
        for (uint8_t &byte : input)
            byte = uint8_t(random());
        // Short patterns and names most of the time, where a match is likely.
        input[1] = uint8_t(random() % 12);
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("fuzz_wildcard: %d inputs and long patterns, no fault\n", runs);
    return 0;
}
#endif
