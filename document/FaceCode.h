#pragma once

#include "document/FaceParts.h"

#include <QString>

namespace FaceCode {

// The face code shown under the composite: "4" followed by the codes of the
// outline, eyes, hair and mouth, shown with at least four digits ("4" alone
// shows 0004, "403" shows 0403). The digits are kept as text, so codes of any
// length never overflow a number. Codes that are not all digits, which only a
// hand-made face file can hold, are shown as they stand after the "4".
QString compose(const FaceParts &partCodes);

// Whether code names a whole face the way a card carries it and the face code
// entry takes it back into the same face: "4" and a two-digit code for each
// of the four parts, nine digits in all ("403120701").
bool isCardCode(const QString &code);

} // namespace FaceCode
