#pragma once

#include <QString>

#include <optional>

class QImage;

// Reading a printed card back: a scan or a photo of it, taken as a picture.
namespace CardReader {

// The face code in the card's barcode: the first Code 128 barcode found in
// picture (turned or tilted as a photo is, too) whose text is a face code a
// card carries ("4" and eight digits, FaceCode::isCardCode), which is exactly
// what the card printer writes.
// Nothing when the picture has no such barcode; another barcode is no face
// code, and the entry would make some other face of it.
std::optional<QString> faceCode(const QImage &picture);

} // namespace CardReader
