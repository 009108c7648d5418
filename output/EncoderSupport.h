#pragma once

// What the encoders share: the memo's texts, the checks of a picture's size
// and the words for a failure of their own. Private to output/.

#include "document/FaceFile.h"
#include "output/PictureEncoders.h"

#include <QList>

class QIODevice;

namespace PictureEncoders::Support {

// One text of the memo, as a format's text chunk or comment holds it.
struct Text
{
    QByteArray key;
    QByteArray value; // ASCII
};

// The longest value of a memo's text: a face file of the largest size a
// face file may have, in base64. Readers take no longer text, and gather none.
constexpr qsizetype MaxMemoText = (FaceFile::MaxFileBytes + 2) / 3 * 4;

// The texts that carry memo, in the order they are written; none for an
// empty memo.
QList<Text> memoTexts(const Memo &memo);

// A refusal of a memo that no reader would take back: a face file larger
// than a face file may be, or a face code as long; ok() otherwise.
AtomicFile::Result checkMemo(const Memo &memo);

// The memo back from the values found under MemoKey and MemoCodeKey. Nothing
// when neither is there, or when the face file's value is no base64; without
// the face file when it holds more than a face file may.
std::optional<Memo> memoFromTexts(const std::optional<QByteArray> &faceFile,
                                  const std::optional<QByteArray> &faceCode);

// A System error for a failure of the encoder itself.
AtomicFile::Result failure(const QString &reason);
AtomicFile::Result outOfMemory();

// The encoded bytes written to path through AtomicFile::write, or the
// encoder's failure.
AtomicFile::Result write(const Encoded &encoded, const QString &path);

// A refusal when the picture has no pixels or is larger than a format's
// largest side; ok() otherwise.
AtomicFile::Result checkPicture(const quint32 *pixels, int width, int height, int largestSide);

// The memo of the picture that device holds, from the texts under the two
// keys alone; the picture itself is never decoded, and no text longer than
// MaxMemoText is gathered.
//   GIF   its comments (a first comment under each key);
//   PNG   its tEXt chunks (the first under each key); compressed texts
//         (zTXt, iTXt) are never inflated: the memo is written plain;
//   JPEG  its comments before the picture's data, the pieces under one key
//         joined in their order (a face file's base64 may take several);
//   SVG   the elements under the memo's namespace inside the first
//         <metadata> of an SVG root, read from the file's first bytes only
//         (twice the longest text and a little more): the picture is not
//         parsed beyond them, and never drawn.
std::optional<Memo> readGifMemo(QIODevice &device);
std::optional<Memo> readPngMemo(QIODevice &device);
std::optional<Memo> readJpegMemo(QIODevice &device);
std::optional<Memo> readSvgMemo(QIODevice &device);

} // namespace PictureEncoders::Support
