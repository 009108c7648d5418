#include "output/PictureEncoders.h"

#include "EncoderSupport.h"

#include <QIODevice>
#include <QtEndian>

#include <spng.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

using namespace Qt::StringLiterals;

namespace PictureEncoders {

namespace {

struct ContextFree
{
    void operator()(spng_ctx *context) const { spng_ctx_free(context); }
};

AtomicFile::Result pngFailure(int error)
{
    if (error == SPNG_EMEM)
        return Support::outOfMemory();
    return Support::failure(
        u"PNG を作れませんでした（%1）。"_s.arg(QString::fromUtf8(spng_strerror(error))));
}

} // namespace

AtomicFile::Result DCSavetoPNG(const quint32 *pixels, int width, int height, const QString &path,
                               quint8 option, const Memo &memo)
{
    // PNG allows sides up to 2^31 - 1; libspng's default limit is the same.
    if (const auto refused = Support::checkPicture(pixels, width, height, 0x7fffffff);
        !refused.ok())
        return refused;
    if (const auto refused = Support::checkMemo(memo); !refused.ok())
        return refused;

    QByteArray bytes;
    try {
        const std::unique_ptr<spng_ctx, ContextFree> context(spng_ctx_new(SPNG_CTX_ENCODER));
        if (!context)
            return Support::outOfMemory();
        spng_ctx *png = context.get();
        spng_set_option(png, SPNG_ENCODE_TO_BUFFER, 1);
        // A face is mostly flat colours. On the bundled parts' faces, row
        // filters made the file larger (by 10-20 %) and the encoding four times
        // slower; zlib's level 3 took 40 % of the time of its default level 6
        // for a file 2-4 % larger, still smaller than Qt's PNG writer makes.
        // Levels 1 and 2 gain little time and can make it larger than Qt's.
        spng_set_option(png, SPNG_FILTER_CHOICE, SPNG_DISABLE_FILTERING);
        spng_set_option(png, SPNG_IMG_COMPRESSION_LEVEL, (option & PngFast) ? 1 : 3);

        spng_ihdr header{};
        header.width = quint32(width);
        header.height = quint32(height);
        header.bit_depth = 8;
        header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
        if (const int error = spng_set_ihdr(png, &header))
            return pngFailure(error);

        // One tEXt chunk per text; libspng copies them.
        QList<Support::Text> texts = Support::memoTexts(memo);
        std::vector<spng_text> chunks(size_t(texts.size()));
        for (qsizetype i = 0; i < texts.size(); ++i) {
            spng_text &chunk = chunks[size_t(i)];
            std::strncpy(chunk.keyword, texts[i].key.constData(), sizeof chunk.keyword - 1);
            chunk.type = SPNG_TEXT;
            chunk.length = size_t(texts[i].value.size());
            chunk.text = texts[i].value.data();
        }
        if (!chunks.empty()) {
            if (const int error = spng_set_text(png, chunks.data(), quint32(chunks.size())))
                return pngFailure(error);
        }

        // Row by row, each turned from 0xffRRGGBB into R, G, B bytes.
        if (const int error = spng_encode_image(png, nullptr, 0, SPNG_FMT_PNG,
                                                SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE))
            return pngFailure(error);
        std::vector<unsigned char> line(size_t(width) * 3);
        for (int y = 0; y < height; ++y) {
            const quint32 *row = pixels + qsizetype(y) * width;
            unsigned char *out = line.data();
            for (int x = 0; x < width; ++x) {
                const quint32 pixel = row[x];
                *out++ = (unsigned char)(pixel >> 16);
                *out++ = (unsigned char)(pixel >> 8);
                *out++ = (unsigned char)pixel;
            }
            const int error = spng_encode_row(png, line.data(), line.size());
            // The last row answers that the picture is complete.
            if (error != 0 && !(error == SPNG_EOI && y == height - 1))
                return pngFailure(error);
        }

        size_t length = 0;
        int error = 0;
        void *encoded = spng_get_png_buffer(png, &length, &error);
        if (!encoded)
            return pngFailure(error ? error : SPNG_EINTERNAL);
        const std::unique_ptr<void, decltype(&std::free)> owned(encoded, &std::free);
        bytes = QByteArray(static_cast<const char *>(encoded), qsizetype(length));
    } catch (const std::bad_alloc &) {
        return Support::outOfMemory();
    }
    return AtomicFile::write(path, bytes);
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
