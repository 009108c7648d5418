#pragma once

#include "document/Categories.h"
#include "document/FaceParts.h"

#include <QString>
#include <QStringList>

#include <array>

class QRandomGenerator;

// The face code: how a face is written as digits and how digits name a face.
// Everything that turns a code into parts or parts into a code (the window,
// the face code entry, drops, the card and kaogumi-render) goes through here.
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

// The part files of each category's folder, in the order the pickers list
// them, indexed by Category: a part's code is its position here.
using PartLists = std::array<QStringList, 4>;

// A face as the face record holds it: the part entries and their codes.
struct Face
{
    FaceParts PartFiles;
    FaceParts PartCodes;
    friend bool operator==(const Face &a, const Face &b)
    {
        return a.PartFiles == b.PartFiles && a.PartCodes == b.PartCodes;
    }
    friend bool operator!=(const Face &a, const Face &b) { return !(a == b); }
};

// A code has two digits a part: it names the first hundred parts of a folder.
constexpr int Nameable = 100;
int nameable(const QStringList &parts);

// The position a picker of category at current, with highest as its highest
// position (-1 when it has no parts), moves to for code (the face code
// rules); current when the code's field names no position of it.
int position(const QString &code, Category category, int current, int highest);

// The part at position of parts, as a picker reports it when it is taken.
void takePart(Face &face, Category category, const QStringList &parts, int position);

// The face code makes in fresh pickers: each starts at its first part, moves
// to the position the code gives for its field (or stays), and takes the part
// there; a folder without parts leaves its layer empty.
Face faceFromCode(const QString &code, const PartLists &parts);

// A face code of random parts, each chosen evenly among those a code can
// name, so that faceFromCode gives that face back.
QString randomCode(const PartLists &parts, QRandomGenerator &random);

// A random face in place of current: each category not kept takes a part
// chosen evenly among those a code can name; a kept category, or one whose
// folder is empty, stays as it is. The result differs from current whenever
// another face can be made.
Face randomFace(const Face &current, const PartLists &parts, const std::array<bool, 4> &kept,
                QRandomGenerator &random);

} // namespace FaceCode
