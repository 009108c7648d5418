#include "document/FaceCodeRules.h"

#include "document/Categories.h"

#include <algorithm>
#include <climits>

namespace FaceCodeRules {

namespace {

// Only what can stand in front of a number typed into the input box; a
// full-width space or full-width digits typed with the input method on are
// not read, the same as any other character.
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int digitValue(QChar c)
{
    return c.unicode() - u'0';
}

} // namespace

FaceParts splitFields(const QString &answer)
{
    FaceParts fields;
    qsizetype at = 1;
    for (Category category : Categories::Drawing) {
        Categories::field(fields, category) = answer.mid(at, 2);
        at += 2;
    }
    return fields;
}

int fieldNumber(const QString &field)
{
    const qsizetype size = field.size();
    qsizetype i = 0;
    while (i < size && isBlank(field.at(i)))
        ++i;
    bool negative = false;
    if (i < size && (field.at(i) == u'+' || field.at(i) == u'-')) {
        negative = field.at(i) == u'-';
        ++i;
    }

    // The digits are read as text, never through a locale, so "1,5" is 1
    // everywhere. The whole part stops growing just past the largest result,
    // so a field of any length cannot overflow; the clamp below takes it
    // back. INT_MIN is never returned, so no caller can overflow negating or
    // dividing it.
    constexpr qint64 largest = INT_MAX;
    qint64 whole = 0;
    bool anyDigit = false;
    for (; i < size && isDigit(field.at(i)); ++i) {
        whole = std::min(whole * 10 + digitValue(field.at(i)), largest + 1);
        anyDigit = true;
    }
    int firstDecimal = -1;
    bool laterDecimalsNonZero = false;
    if (i < size && field.at(i) == u'.') {
        ++i;
        if (i < size && isDigit(field.at(i))) {
            firstDecimal = digitValue(field.at(i));
            anyDigit = true;
            ++i;
        }
        for (; i < size && isDigit(field.at(i)); ++i)
            laterDecimalsNonZero = laterDecimalsNonZero || field.at(i) != u'0';
    }
    if (!anyDigit)
        return 0;

    // Nearest whole number; exactly half goes to the even neighbour.
    const bool half = firstDecimal == 5 && !laterDecimalsNonZero;
    if (firstDecimal > 5 || (firstDecimal == 5 && !half) || (half && whole % 2 == 1))
        ++whole;
    whole = std::min(whole, largest);
    return int(negative ? -whole : whole);
}

std::optional<int> targetPosition(int v, int highest)
{
    // An empty picker has no position to move to; returning here also keeps
    // the division below to positive divisors.
    if (highest < 0)
        return std::nullopt;
    // A picker of one part skips the division: its position is 0 already,
    // and a number other than 0 leaves it there.
    if (v > highest && highest != 0)
        v /= highest;
    if (v >= 0 && v <= highest)
        return v;
    return std::nullopt;
}

int positionFor(const QString &field, int current, int highest)
{
    return targetPosition(fieldNumber(field), highest).value_or(current);
}

} // namespace FaceCodeRules
