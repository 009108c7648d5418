#pragma once

#include <QString>

#include <optional>

class QImage;

// Reading a printed card back: a scan or a photo of it, taken as a picture.
namespace CardReader {

// A larger picture is made this large on its longer side before it is read:
// a card photographed whole keeps bars of two pixels and more, and the
// reading stays short.
constexpr int LargestSide = 2048;
// The longest the reading may take; a picture not read by then holds no card.
constexpr int TimeLimitMs = 10'000;

// The face code in the card's barcode: the first Code 128 barcode found in
// picture (turned or tilted as a photo is, too) whose text is a face code a
// card carries ("4" and eight digits, FaceCode::isCardCode), which is exactly
// what the card printer writes.
// Nothing when the picture has no such barcode; another barcode is no face
// code, and the entry would make some other face of it.
// The barcode reader runs in a process of its own, so that whatever it meets
// in a picture cannot end the program.
std::optional<QString> faceCode(const QImage &picture);

} // namespace CardReader
