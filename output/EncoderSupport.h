#pragma once

// What the encoders share: the memo's texts, the checks of a picture's size
// and the words for a failure of their own. Private to output/.

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

// The texts that carry memo, in the order they are written; none for an
// empty memo.
QList<Text> memoTexts(const Memo &memo);

// The memo back from the values found under MemoKey and MemoCodeKey. Nothing
// when neither is there, or when the face file's value is no base64.
std::optional<Memo> memoFromTexts(const std::optional<QByteArray> &faceFile,
                                  const std::optional<QByteArray> &faceCode);

// A System error for a failure of the encoder itself.
AtomicFile::Result failure(const QString &reason);
AtomicFile::Result outOfMemory();

// A refusal when the picture has no pixels or is larger than a format's
// largest side; ok() otherwise.
AtomicFile::Result checkPicture(const quint32 *pixels, int width, int height, int largestSide);

// The memo of the GIF that device holds, read from its comments without
// decoding its pictures.
std::optional<Memo> readGifMemo(QIODevice &device);

} // namespace PictureEncoders::Support
