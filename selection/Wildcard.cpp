#include "selection/Wildcard.h"

#include <algorithm>
#include <string_view>

using namespace Qt::StringLiterals;

char16_t Wildcard::upperUnit(char16_t unit)
{
    if (unit < 0x80)
        return (unit >= u'a' && unit <= u'z') ? char16_t(unit - (u'a' - u'A')) : unit;
    const char32_t upper = QChar::toUpper(char32_t(unit));
    return upper > 0xFFFF ? unit : char16_t(upper);
}

Wildcard::Wildcard(const QString &pattern)
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

bool Wildcard::matches(const QString &name) const
{
    if (m_matchesAll)
        return true;
    // Follows every way the pattern can line up with the name at once, so a
    // pattern full of "*" never takes more than pattern length times name
    // length steps.
    const std::u16string_view text(reinterpret_cast<const char16_t *>(name.constData()),
                                   size_t(name.size()));
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

bool Wildcard::skips(Kind kind, bool atEnd, char16_t c)
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
