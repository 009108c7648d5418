#pragma once

#include <QString>

#include <vector>

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
// Letters are compared without regard to case, the way NTFS compares names.
// Matching takes at most pattern length times name length steps, however many
// "*" the pattern holds.
class Wildcard
{
public:
    explicit Wildcard(const QString &pattern);

    bool matches(const QString &name) const;

    // NTFS compares names through its table of upper-case letters: each UTF-16
    // unit on its own, one unit to one unit. So "ß" stays "ß" (it does not
    // become "SS"), and the halves of a surrogate pair are left as they are.
    // Folders are ordered by the same rule.
    static char16_t upperUnit(char16_t unit);

private:
    enum class Kind : unsigned char { Literal, Any, UpToLastDot, OneOrNone, DotOrEnd };
    struct Token
    {
        Kind kind;
        char16_t unit;
    };

    static bool skips(Kind kind, bool atEnd, char16_t c);

    std::vector<Token> m_tokens;
    bool m_matchesAll = false;
};
