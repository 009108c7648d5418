// Writing the face as a picture file: each encoder on a typical composite of
// the bundled parts library, and Qt's default PNG writer beside ours as the
// reference. Files go to a folder in memory (/dev/shm where there is one), so
// the figures are the encoders' and not the disk's; "bytes" is the file's size.
#include "document/Composite.h"
#include "document/FaceFile.h"
#include "output/PictureEncoders.h"
#include "tools/partsgen/PartsLibrary.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <spng.h>

#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Part 5 of every category: a face of about 1,500 colours, as the library's
// faces are (its smooth edges give more than a GIF's 256).
constexpr int PartIndex = 5;

struct Face
{
    QImage picture;
    PictureEncoders::Memo memo;
};

const Face &face()
{
    static const Face made = [] {
        const QList<PartsLibrary::Category> &categories = PartsLibrary::categories();
        const Composite::Layers layers{PartsLibrary::raster(categories[0], PartIndex),
                                       PartsLibrary::raster(categories[1], PartIndex),
                                       PartsLibrary::raster(categories[2], PartIndex),
                                       PartsLibrary::raster(categories[3], PartIndex)};
        FaceParts files, codes;
        files.Outline = PartsLibrary::entry(categories[0], PartIndex);
        files.Eyes = PartsLibrary::entry(categories[1], PartIndex);
        files.Hair = PartsLibrary::entry(categories[2], PartIndex);
        files.Mouth = PartsLibrary::entry(categories[3], PartIndex);
        codes = {u"05"_s, u"05"_s, u"05"_s, u"05"_s};
        return Face{Composite::picture(layers),
                    {FaceFile::write(files, codes).bytes, u"405050505"_s}};
    }();
    return made;
}

QString memoryFolder()
{
    return QFileInfo(u"/dev/shm"_s).isWritable() ? u"/dev/shm"_s : QDir::tempPath();
}

template <typename Save> void run(benchmark::State &state, const char *extension, Save save)
{
    const Face &f = face();
    const auto *pixels = reinterpret_cast<const quint32 *>(f.picture.constBits());
    QTemporaryDir dir(memoryFolder() + u"/kaogumi-bench-XXXXXX"_s);
    const QString path = dir.filePath(u"face."_s + QLatin1StringView(extension));
    for (auto _ : state) {
        const AtomicFile::Result result =
            save(pixels, f.picture.width(), f.picture.height(), path, f.memo);
        if (!result.ok()) {
            state.SkipWithError(result.reason.toUtf8().constData());
            return;
        }
    }
    state.counters["bytes"] = double(QFileInfo(path).size());
}

void BM_SaveBMP(benchmark::State &state)
{
    run(state, "bmp", [](const quint32 *p, int w, int h, const QString &path, const auto &) {
        return PictureEncoders::SaveBMP(p, w, h, path);
    });
}
BENCHMARK(BM_SaveBMP)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

void BM_DCSavetoPNG(benchmark::State &state)
{
    run(state, "png", [](const quint32 *p, int w, int h, const QString &path, const auto &memo) {
        return PictureEncoders::DCSavetoPNG(p, w, h, path, 0, memo);
    });
}
BENCHMARK(BM_DCSavetoPNG)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// PNG into memory: the encoder (fast: 1 the batch's FlatDeflate, 0 the
// export's zlib level 3), beside the same rows compressed by libdeflate at
// the levels that make files no larger than zlib's levels 1 and 3 (2 and 5),
// and by zlib inside libspng at those levels, as the encoder made them
// before. "bytes" shows the sizes.
void BM_EncodePNG(benchmark::State &state)
{
    const QImage &picture = face().picture;
    const auto *pixels = reinterpret_cast<const quint32 *>(picture.constBits());
    qsizetype bytes = 0;
    for (auto _ : state) {
        const PictureEncoders::Encoded png = PictureEncoders::encodePNG(
            pixels, picture.width(), picture.height(), quint8(state.range(0)), {});
        bytes = png.bytes.size();
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_EncodePNG)->ArgName("fast")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// The rows as a PNG without filters holds them before compression.
void unfilteredRows(const QImage &picture, std::vector<unsigned char> &rows)
{
    const int width = picture.width();
    rows.resize((size_t(width) * 3 + 1) * size_t(picture.height()));
    unsigned char *out = rows.data();
    for (int y = 0; y < picture.height(); ++y) {
        const auto *row = reinterpret_cast<const quint32 *>(picture.constScanLine(y));
        *out++ = 0;
        for (int x = 0; x < width; ++x) {
            *out++ = (unsigned char)(row[x] >> 16);
            *out++ = (unsigned char)(row[x] >> 8);
            *out++ = (unsigned char)row[x];
        }
    }
}

void BM_LibdeflatePNGRows(benchmark::State &state)
{
    libdeflate_compressor *compressor = libdeflate_alloc_compressor(int(state.range(0)));
    std::vector<unsigned char> rows, out;
    size_t bytes = 0;
    for (auto _ : state) {
        unfilteredRows(face().picture, rows);
        out.resize(libdeflate_zlib_compress_bound(compressor, rows.size()));
        bytes =
            libdeflate_zlib_compress(compressor, rows.data(), rows.size(), out.data(), out.size());
    }
    libdeflate_free_compressor(compressor);
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_LibdeflatePNGRows)->ArgName("level")->Arg(2)->Arg(5)->Unit(benchmark::kMicrosecond);

void BM_SpngZlibPNG(benchmark::State &state)
{
    const QImage &picture = face().picture;
    const int width = picture.width();
    size_t bytes = 0;
    std::vector<unsigned char> rgb;
    for (auto _ : state) {
        spng_ctx *png = spng_ctx_new(SPNG_CTX_ENCODER);
        spng_set_option(png, SPNG_ENCODE_TO_BUFFER, 1);
        spng_set_option(png, SPNG_FILTER_CHOICE, SPNG_DISABLE_FILTERING);
        spng_set_option(png, SPNG_IMG_COMPRESSION_LEVEL, int(state.range(0)));
        spng_ihdr header{};
        header.width = quint32(width);
        header.height = quint32(picture.height());
        header.bit_depth = 8;
        header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
        spng_set_ihdr(png, &header);
        rgb.resize(size_t(width) * 3 * size_t(picture.height()));
        // (The same conversion, without the filter bytes libspng adds.)
        unsigned char *out = rgb.data();
        for (int y = 0; y < picture.height(); ++y) {
            const auto *row = reinterpret_cast<const quint32 *>(picture.constScanLine(y));
            for (int x = 0; x < width; ++x) {
                *out++ = (unsigned char)(row[x] >> 16);
                *out++ = (unsigned char)(row[x] >> 8);
                *out++ = (unsigned char)row[x];
            }
        }
        spng_encode_image(png, rgb.data(), rgb.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
        int error = 0;
        void *encoded = spng_get_png_buffer(png, &bytes, &error);
        std::free(encoded);
        spng_ctx_free(png);
        if (!encoded) {
            state.SkipWithError(spng_strerror(error));
            return;
        }
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_SpngZlibPNG)->ArgName("level")->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);

// Qt's own writer for a format, into memory: the reference an export of ours
// is measured against.
void runQtWriter(benchmark::State &state, const char *format, int quality = -1)
{
    const QImage &picture = face().picture;
    QByteArray bytes;
    for (auto _ : state) {
        bytes.clear();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, format, quality);
    }
    state.counters["bytes"] = double(bytes.size());
}

// Qt's PNG writer with its defaults.
void BM_QtDefaultPNG(benchmark::State &state)
{
    runQtWriter(state, "PNG");
}
BENCHMARK(BM_QtDefaultPNG)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

void BM_DCSavetoJPEG_q90(benchmark::State &state)
{
    run(state, "jpg", [](const quint32 *p, int w, int h, const QString &path, const auto &memo) {
        return PictureEncoders::DCSavetoJPEG(p, w, h, path, 90, 0, memo);
    });
}
BENCHMARK(BM_DCSavetoJPEG_q90)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// Qt's JPEG writer at the same quality.
void BM_QtDefaultJPEG_q90(benchmark::State &state)
{
    runQtWriter(state, "JPEG", 90);
}
BENCHMARK(BM_QtDefaultJPEG_q90)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The atomic write alone, of a file the size of our PNG: the part of each
// figure above that is the file system's, not the encoder's.
void BM_AtomicFileWriteOnly(benchmark::State &state)
{
    QTemporaryDir dir(memoryFolder() + u"/kaogumi-bench-XXXXXX"_s);
    const QString path = dir.filePath(u"face.png"_s);
    const QByteArray bytes(12 * 1024, 'x');
    for (auto _ : state) {
        if (!AtomicFile::write(path, bytes).ok()) {
            state.SkipWithError("the write failed");
            return;
        }
    }
    state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(BM_AtomicFileWriteOnly)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

// The same write with the size of the face's BMP file (a 54-byte header and
// 265 rows of 249 pixels of three bytes, each row padded to four bytes): the
// floor of the BMP export, whose encoding is a copy of the pixels.
void BM_AtomicFileWriteBmpSize(benchmark::State &state)
{
    QTemporaryDir dir(memoryFolder() + u"/kaogumi-bench-XXXXXX"_s);
    const QString path = dir.filePath(u"face.bmp"_s);
    const QByteArray bytes(54 + (249 * 3 + 3) / 4 * 4 * 265, 'x');
    for (auto _ : state) {
        if (!AtomicFile::write(path, bytes).ok()) {
            state.SkipWithError("the write failed");
            return;
        }
    }
    state.counters["bytes"] = double(bytes.size());
}
BENCHMARK(BM_AtomicFileWriteBmpSize)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

void BM_SaveGIF(benchmark::State &state)
{
    run(state, "gif", [](const quint32 *p, int w, int h, const QString &path, const auto &memo) {
        return PictureEncoders::SaveGIF(p, w, h, path, memo);
    });
}
BENCHMARK(BM_SaveGIF)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

} // namespace
