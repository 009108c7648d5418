#pragma once

#include "document/FaceParts.h"

#include <QString>

#include <optional>

// How a face code the user types back is turned into positions of the four
// part pickers. The code is "4" followed by the two-digit codes of the
// outline, eyes, hair and mouth, so "403120004" asks for outline 3, eyes 12,
// hair 0 and mouth 4.
namespace FaceCodeRules {

// Characters 2-3, 4-5, 6-7 and 8-9 of the answer, one field for each category
// in the face code's order (outline, eyes, hair, mouth). The first character
// is not looked at and anything after the ninth is ignored; a field that runs
// past the end of a short answer is shorter or empty.
FaceParts splitFields(const QString &answer);

// The field read as a decimal number from its start: leading blanks skipped,
// then an optional sign, then digits with at most one decimal point; reading
// stops at the first other character and nothing readable gives 0. The result
// is the nearest whole number, halves going to the even neighbour ("2.5" is 2,
// "3.5" is 4), held within -2147483647..2147483647.
int fieldNumber(const QString &field);

// The position a picker whose highest position is highest (-1 when it has no
// parts) moves to for the number v, or nothing when it keeps its position.
// A number above the highest position is first divided by it, keeping the
// whole part of the quotient (57 with highest position 20 gives 2); a picker
// of one part skips that division.
std::optional<int> targetPosition(int v, int highest);

// The position a picker at current, whose highest position is highest,
// takes for its field of a face code: the target position of the field's
// number, or current when there is none.
int positionFor(const QString &field, int current, int highest);

} // namespace FaceCodeRules
