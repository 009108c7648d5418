// Feeds generated answers and picker sizes to the face code rules and checks
// them against a second reading of the same rules, written from their
// description in FaceCodeRules.h rather than from their code:
//  - the four fields are characters 2-3, 4-5, 6-7 and 8-9 of the answer;
//  - a field's number is its exact decimal value rounded to the nearest whole
//    number, halves to the even one, held within -2147483647..2147483647;
//  - a number above the highest position is divided by it once; the picker
//    takes the result when it is a position it has, else keeps its own.
#include "document/FaceCodeRules.h"

#include "FixedRun.h"

#include <QString>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

[[noreturn]] void fail(const char *what, const QString &text, int highest, int current)
{
    std::fprintf(stderr, "face code: %s; text \"%s\", highest %d, current %d\n", what,
                 qUtf8Printable(text), highest, current);
    std::abort();
}

// The field as the rules see it: ASCII characters as they are, anything else
// a character that stops a number.
std::string asAscii(const QString &text)
{
    std::string ascii;
    for (QChar c : text)
        ascii += c.unicode() < 0x80 ? char(c.unicode()) : '\x01';
    return ascii;
}

// The number by the rules: the readable start of the field is split into its
// sign, whole digits and decimals, and rounded by comparing the decimals as
// text with "5".
int ruleNumber(const QString &field)
{
    const std::string text = asAscii(field);
    size_t at = text.find_first_not_of(" \t\r\n");
    if (at == std::string::npos)
        return 0;
    const bool negative = text[at] == '-';
    if (text[at] == '-' || text[at] == '+')
        ++at;
    const size_t wholeEnd = std::min(text.find_first_not_of("0123456789", at), text.size());
    std::string whole = text.substr(at, wholeEnd - at);
    std::string decimals;
    if (wholeEnd < text.size() && text[wholeEnd] == '.') {
        const size_t end =
            std::min(text.find_first_not_of("0123456789", wholeEnd + 1), text.size());
        decimals = text.substr(wholeEnd + 1, end - wholeEnd - 1);
    }
    if (whole.empty() && decimals.empty())
        return 0;

    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    const bool huge = whole.size() > 10 || (whole.size() == 10 && whole > "2147483647");
    long long value = huge ? 2147483648LL : whole.empty() ? 0 : std::stoll(whole);
    decimals.erase(std::min(decimals.find_last_not_of('0') + 1, decimals.size()));
    // Decimal fractions without trailing zeros compare as their texts do.
    const int againstHalf = decimals.empty() ? -1 : decimals.compare("5");
    if (againstHalf > 0 || (againstHalf == 0 && value % 2 == 1))
        ++value;
    value = std::min<long long>(value, INT_MAX);
    return int(negative ? -value : value);
}

std::optional<int> rulePosition(long long v, long long highest)
{
    if (highest < 0)
        return std::nullopt; // no parts, no position
    if (highest >= 1 && v > highest)
        v /= highest; // positive over positive: the whole part
    if (v < 0 || v > highest)
        return std::nullopt;
    return int(v);
}

void check(const QString &answer, int highest, int current)
{
    const FaceParts fields = FaceCodeRules::splitFields(answer);
    const QString inOrder[] = {fields.Outline, fields.Eyes, fields.Hair, fields.Mouth};
    for (int k = 0; k < 4; ++k) {
        QString expected;
        for (qsizetype i = 1 + 2 * k; i < 3 + 2 * k && i < answer.size(); ++i)
            expected += answer.at(i);
        if (inOrder[k] != expected)
            fail("a field is not its two characters", answer, highest, current);

        const int number = FaceCodeRules::fieldNumber(inOrder[k]);
        if (number != ruleNumber(inOrder[k]))
            fail("a field's number differs from the rules'", inOrder[k], highest, current);
        if (FaceCodeRules::positionFor(inOrder[k], current, highest) !=
            rulePosition(number, highest).value_or(current)) {
            fail("the picker's position differs from the rules'", inOrder[k], highest, current);
        }
    }
    // Any text reads as a number, however long.
    if (FaceCodeRules::fieldNumber(answer) != ruleNumber(answer))
        fail("a text's number differs from the rules'", answer, highest, current);
}

int takeInt(const uint8_t *&data, const uint8_t *end)
{
    uint32_t value = 0;
    for (int k = 0; k < 4 && data < end; ++k)
        value = value << 8 | *data++;
    return int(value);
}

} // namespace

// The input: a byte for the picker's size (a small one, or from 0xF0 up the
// next four bytes as any number), one for its position, one choosing how the
// rest is read (UTF-8, or UTF-16 units with half surrogate pairs and all),
// then the answer.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const uint8_t *at = data;
    const uint8_t *end = data + size;
    const uint8_t sizeByte = *at++;
    const int highest = sizeByte >= 0xf0 ? takeInt(at, end) : sizeByte % 40 - 1;
    const int current = at < end ? *at++ : 0;
    const bool utf16 = at < end && (*at++ & 1);
    QString answer;
    if (utf16) {
        for (; at + 1 < end; at += 2)
            answer += QChar(char16_t(at[0] << 8 | at[1]));
    } else {
        answer = QString::fromUtf8(reinterpret_cast<const char *>(at), end - at);
    }
    check(answer, highest, current);
    return 0;
}

#ifndef KAOGUMI_LIBFUZZER
namespace {

// Answers typed as users type them: digits, blanks, signs and points, now
// and then a full-width digit or another character.
std::string typedAnswer(std::mt19937 &random)
{
    std::string input{char(random() % 2 ? random() % 40 : random()), char(random()),
                      char(random() % 8 == 0)};
    return input + FixedRun::soup(random, 24, "0123456789012345678955 \t+-..4\xef\xbc\x91");
}

} // namespace

int main(int argc, char **argv)
{
    return FixedRun::run(argc, argv, "fuzz_facecode", 300000, typedAnswer);
}
#endif
