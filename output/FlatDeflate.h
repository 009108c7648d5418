#pragma once

#include <QByteArray>

// A deflate compressor for pictures of flat colours, several times quicker
// than zlib's quickest level for files about a quarter larger: each byte is
// either the start of a run repeating the pixel before it or the row above
// it, the longer of the two, or a literal; the codes are deflate's fixed
// Huffman codes. No hashing, no search.
namespace FlatDeflate {

// Appends to out a raw deflate stream (one final block) of size bytes at
// data, which are rows of rowBytes bytes of pixelBytes bytes a pixel (after
// a leading filter byte). Runs longer than deflate's 32 KiB window are not
// looked for: a row longer than that is compressed as runs within the row.
void compress(const unsigned char *data, qsizetype size, qsizetype rowBytes, int pixelBytes,
              QByteArray &out);

} // namespace FlatDeflate
