#pragma once

#include "document/Categories.h"
#include "document/FaceParts.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The face file: two CR LF lines of five double-quoted fields, the part files
// and then the part codes, in the column order outline, hair, eyes, mouth and
// an always empty fifth field.
namespace FaceFile {

// A face file holds two short lines; readers stop here, so that a wrong file
// chosen by mistake (a photo, a film) cannot take the memory.
constexpr qint64 MaxFileBytes = 1 << 20;

// The two lines of a face file.
enum class Record : unsigned char { PartFiles, PartCodes };

// One of the ten fields. The fifth field of a line belongs to no category.
struct Field
{
    Record record = Record::PartFiles;
    std::optional<Category> category;

    friend bool operator==(const Field &a, const Field &b)
    {
        return a.record == b.record && a.category == b.category;
    }
    friend bool operator!=(const Field &a, const Field &b) { return !(a == b); }
};

enum class Error : unsigned char {
    None,
    // Reading: the bytes end before the tenth field.
    TooFewFields,
    // Reading: a field holds a NUL or another control character, so the
    // bytes are no face file (a picture, say). Writing: a text holds a control
    // character other than a line end, which reading would refuse.
    ControlCharacter,
    // Writing: a text holds a double quote or a line end, which a field
    // cannot hold.
    QuoteOrLineEnd,
    // Writing: a text holds half of a UTF-16 surrogate pair, which no
    // encoding can write.
    Unencodable,
    // Writing: the file would be larger than MaxFileBytes.
    TooLong,
};

// Why there is no face or no file: what is wrong, and with which field (for
// TooFewFields, the first one missing).
struct Reason
{
    Error error = Error::None;
    Field field;
    QString text; // writing: the text that cannot be written
};

struct ReadResult
{
    Reason reason;
    FaceParts PartFiles;
    FaceParts PartCodes;

    bool ok() const { return reason.error == Error::None; }
};

// Reads the first ten fields of a face file's bytes; whatever follows them
// plays no part. A field that starts with a double quote runs to the next
// double quote; any other field runs to the next comma or line end (CR LF, LF
// or a lone CR), without the blanks and tabs around it. A comma promises a
// further field, so "a," holds two fields and "a\r\n" one.
//
// The encoding: UTF-8 when the bytes start with a UTF-8 byte-order mark, or
// when the ten fields are not code page 932 text and are well-formed UTF-8;
// code page 932 otherwise, as Windows writes face files (half-width katakana
// and many kanji pairs are well-formed UTF-8 too). Each field is decoded on
// its own, and bytes that form no character in that encoding become U+FFFD
// there, so one bad byte damages its own field only.
//
// Refused: fewer than ten fields (TooFewFields); a field holding a control
// character, C0, DEL or C1 (ControlCharacter).
ReadResult read(const QByteArray &bytes);

struct WriteResult
{
    Reason reason;
    QByteArray bytes;

    bool ok() const { return reason.error == Error::None; }
};

// The bytes of a face file, in code page 932 so that the file exchanges with
// face files made on Windows; in UTF-8 with its byte-order mark when code
// page 932 has no place for a character. What write() gives, read() reads
// back as the same face, and a file written here, read and written again,
// keeps its bytes. A text the format cannot hold gives a reason instead of a
// damaged file: the first such field in the file's order; a face larger than
// MaxFileBytes, which no reader would read whole, gives TooLong.
WriteResult write(const FaceParts &partFiles, const FaceParts &partCodes);

} // namespace FaceFile
