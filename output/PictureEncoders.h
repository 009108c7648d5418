#pragma once

#include "platform/AtomicFile.h"

#include <QByteArray>
#include <QString>

#include <optional>

class QSize;
namespace Composite {
struct Layers;
}

// The picture files the face is exported to, written from the composite's
// pixels without any window. Each encodeX function makes the whole file in
// memory; the matching save function (SaveBMP, DCSavetoPNG...) writes those
// bytes through AtomicFile::write: a failure never leaves a half-written file
// and never harms a file already there. A failure of the encoder itself (too
// little memory, a library that refuses the picture) is reported as a System
// error whose reason says so in plain words.
//
// pixels: width × height pixels, rows top to bottom, each pixel 0xffRRGGBB
// (the bits of QImage::Format_RGB32, which has no row padding). The top byte
// is not looked at: the pictures have no transparency. An SVG is written from
// the face's parts instead, as shapes.
namespace PictureEncoders {

// What an exported picture remembers of its face: the two face-file lines
// (exactly the bytes Save writes) and the face code. Empty: nothing to remember.
struct Memo
{
    QByteArray faceFile;
    QString faceCode;

    bool isEmpty() const { return faceFile.isEmpty() && faceCode.isEmpty(); }
    friend bool operator==(const Memo &a, const Memo &b)
    {
        return a.faceFile == b.faceFile && a.faceCode == b.faceCode;
    }
    friend bool operator!=(const Memo &a, const Memo &b) { return !(a == b); }
};

// The key under which PNG, JPEG, GIF and SVG carry the memo: "KaogumiFace".
//
// The memo is written as one or two texts, each a key and a value:
//   KaogumiFace      the face file's bytes in base64 (RFC 4648, with '='
//                    padding, on one line);
//   KaogumiFaceCode  the face code as it is shown ("403120701").
// A part of the memo that is empty is left out; an empty memo writes nothing.
// The face file is code page 932 or UTF-8, and neither survives every
// format's text as it is: a PNG tEXt chunk is Latin-1, where code page 932's
// lead bytes 0x80-0x9f have no meaning; Qt reads JPEG comments as UTF-8; a
// GIF comment is meant to be 7-bit ASCII. Base64 is plain ASCII, so the
// bytes come back exactly from all three.
//
// Where the texts go:
//   PNG   one tEXt chunk per text, the key as its keyword (uncompressed: the
//         texts are a few hundred bytes at most, and every reader sees them);
//   JPEG  one comment (COM) per text, "key: value", as Qt writes and reads
//         the texts of QImageWriter::setText and QImageReader::text; a
//         comment holds at most 65533 bytes, so a longer value is cut, at a
//         multiple of four characters, into pieces of one comment each under
//         the same key, which the reader joins in their order;
//   GIF   one comment extension per text, "key: value" in the same form,
//         before the picture;
//   SVG   one element per text, named after its key, in the namespace
//         urn:x-kaogumi:face-memo, inside a <metadata> first in the root:
//           <metadata xmlns:k="urn:x-kaogumi:face-memo">
//           <k:KaogumiFace>…</k:KaogumiFace>
//           <k:KaogumiFaceCode>403120701</k:KaogumiFaceCode>
//           </metadata>
// BMP has no place for a memo. A memo whose face file is larger than a face
// file may be (FaceFile::MaxFileBytes) is refused by every writer, as the
// reader would not take it back.
extern const char *const MemoKey;
extern const char *const MemoCodeKey;

// A picture file's bytes, or why none were made.
struct Encoded
{
    AtomicFile::Result result;
    QByteArray bytes;

    bool ok() const { return result.ok(); }
};

// A 24-bit BMP: rows bottom-up, each padded to a multiple of 4 bytes.
Encoded encodeBMP(const quint32 *pixels, int width, int height);
AtomicFile::Result SaveBMP(const quint32 *pixels, int width, int height, const QString &path);

// A GIF89a of one picture. A picture of at most 256 colours keeps them
// exactly; one of more colours gets the 256 colours that best stand for it
// (split by median cut, weighted by how many pixels have each colour), and
// each pixel takes the nearest of them, without dithering.
Encoded encodeGIF(const quint32 *pixels, int width, int height, const Memo &memo);
AtomicFile::Result SaveGIF(const quint32 *pixels, int width, int height, const QString &path,
                           const Memo &memo);

// A PNG, 8-bit RGB without row filters: the flat colours of a face compress
// well without filters. option is 0 for the export, compressed by zlib no
// larger than Qt's writer makes; PngFast asks for FlatDeflate instead, three
// times quicker for a file about a quarter larger, which a batch of thousands
// of faces is glad of. Other bits change nothing.
constexpr quint8 PngFast = 1;
Encoded encodePNG(const quint32 *pixels, int width, int height, quint8 option, const Memo &memo);
AtomicFile::Result DCSavetoPNG(const quint32 *pixels, int width, int height, const QString &path,
                               quint8 option, const Memo &memo);

// A baseline JPEG. quality runs from 1 (smallest file) to 100 (best picture);
// a quality above 100 is taken as 100 and 0 as 1. reserved is ignored.
Encoded encodeJPEG(const quint32 *pixels, int width, int height, quint8 quality, const Memo &memo);
AtomicFile::Result DCSavetoJPEG(const quint32 *pixels, int width, int height, const QString &path,
                                quint8 quality, qint32 reserved, const Memo &memo);

// An SVG of the face, size pixels wide and high (the surface's 249 × 265 as
// its view box): the face painted by Composite::paint onto a painter of
// shapes, so that drawings among the parts stay shapes, pictures of pixels
// come inside it as PNG, and a reader draws it sharp at any size.
Encoded encodeSVG(const Composite::Layers &layers, QSize size, const Memo &memo);

// The memo a PNG, JPEG, GIF or SVG written above carries, whatever the file's
// name. Nothing for a file that carries none (BMP always), is no regular
// file or cannot be read, or whose memo is not one of ours. Only the texts
// under the memo's keys are read, each at most as long as a memo can be, and
// the picture is never decoded.
std::optional<Memo> readMemo(const QString &path);
// The same, of a file's bytes read already.
std::optional<Memo> readMemo(const QByteArray &bytes);

} // namespace PictureEncoders
