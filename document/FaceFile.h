#pragma once

#include "document/FaceParts.h"

#include <QByteArray>
#include <QString>

// The face file: two CR LF lines of five double-quoted fields, the part files
// and then the part codes, in the column order outline, hair, eyes, mouth and
// an always empty fifth field.
namespace FaceFile {

struct ReadResult
{
    bool ok = false; // false: the file holds fewer than ten fields
    FaceParts PartFiles;
    FaceParts PartCodes;
};

// Reads the first ten fields of a face file's bytes. A field that starts with a
// double quote runs to the next double quote; any other field runs to the next
// comma or line end (CR LF, LF or a lone CR), without the blanks around it.
// Valid UTF-8 (with or without a byte-order mark) is read as UTF-8, anything
// else as code page 932.
ReadResult read(const QByteArray &bytes);

struct WriteResult
{
    QByteArray bytes;
    QString error; // empty on success
};

// The bytes of a face file, in code page 932 so that the file exchanges with
// face files made on Windows; as UTF-8 when a text holds characters code page
// 932 has no place for. A text that holds a double quote or a line end cannot
// be stored in this format and gives an error instead of a damaged file.
WriteResult write(const FaceParts &partFiles, const FaceParts &partCodes);

} // namespace FaceFile
