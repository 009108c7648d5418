#include "output/PictureEncoders.h"

#include "EncoderSupport.h"
#include "FlatDeflate.h"

#include <QIODevice>
#include <QtEndian>

#include <libdeflate.h>
#include <zlib.h>

#include <cstring>
#include <new>
#include <vector>

using namespace Qt::StringLiterals;

namespace PictureEncoders {

namespace {

// The export's zlib stream (level 3), kept by each thread: setting one up
// costs about as much as compressing a face.
struct Deflater
{
    z_stream stream{};
    bool ready = false;

    Deflater()
    {
        // A raw stream: its header and check sum are written around it, the
        // sum by libdeflate, several times quicker than zlib's own.
        ready = deflateInit2(&stream, 3, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater()
    {
        if (ready)
            deflateEnd(&stream);
    }
    Deflater(const Deflater &) = delete;
    Deflater &operator=(const Deflater &) = delete;
};

z_stream *deflater()
{
    thread_local Deflater kept;
    if (!kept.ready || deflateReset(&kept.stream) != Z_OK)
        return nullptr;
    return &kept.stream;
}

char *put32(char *out, quint32 value)
{
    qToBigEndian(value, out);
    return out + 4;
}

// The check sum of a chunk's type and data.
quint32 chunkCrc(const char *typeAndData, qsizetype length)
{
    return libdeflate_crc32(0, typeAndData, size_t(length));
}

// A chunk: its data's length, its type, its data and the check sum.
void putChunk(QByteArray &png, const char (&type)[5], const QByteArray &data)
{
    char length[4];
    put32(length, quint32(data.size()));
    const qsizetype at = png.size();
    png.append(length, 4).append(type, 4).append(data);
    char crc[4];
    put32(crc, chunkCrc(png.constData() + at + 4, 4 + data.size()));
    png.append(crc, 4);
}

} // namespace

Encoded encodePNG(const quint32 *pixels, int width, int height, quint8 option, const Memo &memo)
{
    // PNG allows sides up to 2^31 - 1; the compressed rows go into one chunk,
    // which must stay below 2^31 bytes.
    if (const auto refused = Support::checkPicture(pixels, width, height, 0x7fffffff);
        !refused.ok())
        return {refused, {}};
    if (const auto refused = Support::checkMemo(memo); !refused.ok())
        return {refused, {}};

    // A face is mostly flat colours. On the bundled parts' faces, row filters
    // made the file larger (by 10-20 %) and the encoding slower. The export
    // takes zlib's level 3, 40 % of the time of its default level 6 for a
    // file 2-4 % larger, still smaller than Qt's PNG writer makes; libdeflate
    // was no quicker at the same size on these pictures (see bench_encoders).
    // A batch takes FlatDeflate, three times quicker than zlib's level 1 for
    // a file about a quarter larger.
    const bool flat = option & PngFast;
    z_stream *zip = flat ? nullptr : deflater();
    if (!flat && !zip)
        return {Support::outOfMemory(), {}};
    const auto zlibFailure = [] {
        return Encoded{Support::failure(u"PNG を作れませんでした（圧縮できません）。"_s), {}};
    };
    QByteArray png;
    try {
        png.append("\x89PNG\r\n\x1a\n", 8);
        // 8-bit RGB, deflate, no filters, no interlacing.
        char header[13];
        put32(put32(header, quint32(width)), quint32(height));
        std::memcpy(header + 8, "\x08\x02\x00\x00\x00", 5);
        putChunk(png, "IHDR", QByteArray(header, 13));
        // One plain tEXt chunk per text: the keyword, a NUL, the value.
        for (const Support::Text &text : Support::memoTexts(memo))
            putChunk(png, "tEXt", text.key + '\0' + text.value);

        // The rows, each a filter byte (0: none) and R, G, B bytes, go to zlib
        // a few at a time (to FlatDeflate all at once), and what it makes
        // straight into the IDAT chunk's place.
        const qsizetype idat = png.size();
        const qsizetype rowBytes = qsizetype(width) * 3 + 1;
        png.resize(idat + 8 + 2 + qMin<qsizetype>(rowBytes * height / 8 + 1024, 1 << 24));
        // The zlib header: deflate with a 32 KiB window, no dictionary.
        png[idat + 8] = '\x78';
        png[idat + 9] = '\x01';
        quint32 adler = 1; // the sum of nothing
        const int rowsAtOnce =
            flat ? height
                 : int(qBound(qsizetype(1), (qsizetype(64) << 10) / rowBytes, qsizetype(height)));
        std::vector<unsigned char> rows(size_t(rowBytes) * size_t(rowsAtOnce));
        qsizetype deflated = 0;
        if (zip) {
            zip->next_out = reinterpret_cast<Bytef *>(png.data() + idat + 10);
            zip->avail_out = uInt(png.size() - idat - 10);
        }
        for (int y = 0; y < height;) {
            unsigned char *out = rows.data();
            const int last = qMin(height, y + rowsAtOnce);
            for (; y < last; ++y) {
                const quint32 *row = pixels + qsizetype(y) * width;
                *out++ = 0;
                for (int x = 0; x < width; ++x) {
                    const quint32 pixel = row[x];
                    *out++ = (unsigned char)(pixel >> 16);
                    *out++ = (unsigned char)(pixel >> 8);
                    *out++ = (unsigned char)pixel;
                }
            }
            adler = libdeflate_adler32(adler, rows.data(), size_t(out - rows.data()));
            if (flat) {
                png.resize(idat + 10);
                FlatDeflate::compress(rows.data(), out - rows.data(), rowBytes, 3, png);
                deflated = png.size() - idat - 10;
                continue;
            }
            zip->next_in = rows.data();
            zip->avail_in = uInt(out - rows.data());
            const int flush = y == height ? Z_FINISH : Z_NO_FLUSH;
            for (;;) {
                const int status = deflate(zip, flush);
                if (status == Z_STREAM_END)
                    break;
                if (status != Z_OK && status != Z_BUF_ERROR)
                    return zlibFailure();
                if (flush == Z_NO_FLUSH && zip->avail_in == 0 && zip->avail_out > 0)
                    break;
                if (zip->avail_out > 0) {
                    if (status == Z_BUF_ERROR)
                        return zlibFailure(); // no progress, with room to make it
                    continue;
                }
                // More room: the output grows by half.
                const qsizetype used =
                    qsizetype(reinterpret_cast<char *>(zip->next_out) - png.constData());
                png.resize(png.size() + png.size() / 2);
                zip->next_out = reinterpret_cast<Bytef *>(png.data() + used);
                zip->avail_out = uInt(png.size() - used);
            }
        }
        if (zip)
            deflated = qsizetype(zip->total_out);
        const qsizetype length = 2 + deflated + 4;
        if (length > 0x7fffffff)
            return zlibFailure();
        png.resize(idat + 8 + length);
        put32(png.data() + idat + 8 + length - 4, adler);
        put32(png.data() + idat, quint32(length));
        std::memcpy(png.data() + idat + 4, "IDAT", 4);
        char crc[4];
        put32(crc, chunkCrc(png.constData() + idat + 4, 4 + length));
        png.append(crc, 4);
        putChunk(png, "IEND", {});
    } catch (const std::bad_alloc &) {
        return {Support::outOfMemory(), {}};
    }
    return {{}, png};
}

AtomicFile::Result DCSavetoPNG(const quint32 *pixels, int width, int height, const QString &path,
                               quint8 option, const Memo &memo)
{
    return Support::write(encodePNG(pixels, width, height, option, memo), path);
}

namespace Support {

std::optional<Memo> readPngMemo(QIODevice &device)
{
    if (device.read(8) != "\x89PNG\r\n\x1a\n")
        return std::nullopt;
    // The longest tEXt chunk a memo's text can be: a keyword of at most 79
    // bytes, its NUL, and the value.
    constexpr qint64 maxChunk = 80 + MaxMemoText;
    std::optional<QByteArray> faceFile, faceCode;
    // Chunk by chunk: its length, its type, its data and a CRC. Only the
    // headers are read, and the data of a plain text chunk short enough to
    // be a memo's; the rest is passed over.
    for (;;) {
        const QByteArray head = device.read(8);
        if (head.size() != 8 || head.endsWith("IEND"))
            break;
        const quint32 length = qFromBigEndian<quint32>(head.constData());
        if (length > 0x7fffffffu)
            break;
        const qint64 next = device.pos() + qint64(length) + 4;
        if (head.endsWith("tEXt") && length <= maxChunk) {
            const QByteArray data = device.read(length);
            const qsizetype nul = data.indexOf('\0');
            const QByteArray keyword = data.left(nul);
            if (nul > 0 && keyword == MemoKey && !faceFile)
                faceFile = data.mid(nul + 1);
            else if (nul > 0 && keyword == MemoCodeKey && !faceCode)
                faceCode = data.mid(nul + 1);
        }
        if (!device.seek(next))
            break;
    }
    return memoFromTexts(faceFile, faceCode);
}

} // namespace Support

} // namespace PictureEncoders
