// Saves generated pictures as GIF and reads them back with giflib's own
// decoder. The properties:
//  - the file holds one picture of the size saved, and the memo given;
//  - a picture of at most 256 colours comes back exactly;
//  - in one of more colours each pixel comes back as the colour of the file's
//    table nearest to its own (no other entry lies closer);
//  - a picture without pixels is refused and no file is left.
#include "output/PictureEncoders.h"

#include "FixedRun.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gif_lib.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QTemporaryDir *g_folder = nullptr;

[[noreturn]] void fail(const char *what, int width, int height)
{
    std::fprintf(stderr, "GIF: %s; picture %d x %d\n", what, width, height);
    std::abort();
}

int distance(quint32 a, const GifColorType &b)
{
    const int dr = int((a >> 16) & 0xff) - b.Red;
    const int dg = int((a >> 8) & 0xff) - b.Green;
    const int db = int(a & 0xff) - b.Blue;
    return dr * dr + dg * dg + db * db;
}

struct CloseGif
{
    void operator()(GifFileType *gif) const { DGifCloseFile(gif, nullptr); }
};

// Reads the bytes as the picture's size, a few colours and the pixels that
// use them, or (in one input of four) pixels of any colour, and a memo.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<quint32> pixels;
    PictureEncoders::Memo memo;
};

Picture pictureOf(const uint8_t *data, size_t size)
{
    Picture p;
    size_t at = 0;
    const auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
    p.width = next() % 49;
    p.height = next() % 49;
    const uint8_t kind = next();
    std::vector<quint32> colours(1 + (next() | next() << 8) % 400);
    for (quint32 &colour : colours)
        colour = 0xff000000u | quint32(next()) << 16 | quint32(next()) << 8 | next();
    p.pixels.resize(size_t(p.width) * size_t(p.height));
    for (quint32 &pixel : p.pixels) {
        if (kind % 4 == 0) {
            pixel = quint32(next()) << 24 | quint32(next()) << 16 | quint32(next()) << 8 | next();
        } else {
            pixel = colours[(next() | next() << 8) % colours.size()];
        }
    }
    // The memo: a face file's bytes and a face code, which holds no control
    // character (the face file reader refuses them).
    const size_t memoLength = next() % 64;
    for (size_t i = 0; i < memoLength; ++i)
        p.memo.faceFile += char(next());
    QByteArray code;
    for (size_t i = next() % 16; i > 0; --i) {
        if (const uint8_t c = next(); c >= 0x20 && c != 0x7f)
            code += char(c);
    }
    p.memo.faceCode = QString::fromUtf8(code);
    return p;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Removed with its files when the run ends.
    static QTemporaryDir folder;
    g_folder = &folder;
    if (!folder.isValid())
        fail("no temporary folder", 0, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const Picture p = pictureOf(data, size);
    const QString path = g_folder->filePath(u"face.gif"_s);
    QFile::remove(path);
    const AtomicFile::Result saved =
        PictureEncoders::SaveGIF(p.pixels.data(), p.width, p.height, path, p.memo);
    if (p.pixels.empty()) {
        if (saved.ok() || QFile::exists(path))
            fail("a picture without pixels was saved", p.width, p.height);
        return 0;
    }
    if (!saved.ok())
        fail("a picture was not saved", p.width, p.height);

    int error = 0;
    const std::unique_ptr<GifFileType, CloseGif> gif(
        DGifOpenFileName(QFile::encodeName(path).constData(), &error));
    if (!gif || DGifSlurp(gif.get()) == GIF_ERROR)
        fail("giflib cannot read the file", p.width, p.height);
    if (gif->ImageCount != 1 || gif->SWidth != p.width || gif->SHeight != p.height)
        fail("the file holds another size or more pictures", p.width, p.height);
    const SavedImage &image = gif->SavedImages[0];
    const ColorMapObject *table =
        image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    if (!table || image.ImageDesc.Left != 0 || image.ImageDesc.Top != 0 ||
        image.ImageDesc.Width != p.width || image.ImageDesc.Height != p.height ||
        image.ImageDesc.Interlace) {
        fail("the picture does not cover the screen with a colour table", p.width, p.height);
    }

    // The top byte of a pixel is not looked at.
    QSet<quint32> colours;
    for (quint32 pixel : p.pixels)
        colours.insert(pixel | 0xff000000u);
    const bool exact = colours.size() <= 256;
    for (size_t i = 0; i < p.pixels.size(); ++i) {
        const int index = image.RasterBits[i];
        if (index >= table->ColorCount)
            fail("a pixel names no colour of the table", p.width, p.height);
        const int got = distance(p.pixels[i], table->Colors[index]);
        if (exact && got != 0)
            fail("a picture of 256 colours or fewer changed a colour", p.width, p.height);
        for (int k = 0; k < table->ColorCount && !exact; ++k) {
            if (distance(p.pixels[i], table->Colors[k]) < got)
                fail("a pixel took a colour with a nearer one in the table", p.width, p.height);
        }
    }

    if (PictureEncoders::readMemo(path) !=
        (p.memo.isEmpty() ? std::nullopt : std::optional(p.memo))) {
        fail("the memo does not come back", p.width, p.height);
    }
    return 0;
}

#ifndef KAOGUMI_LIBFUZZER
namespace {

std::string pictureBytes(std::mt19937 &random)
{
    std::string bytes(3000 + random() % 6000, '\0');
    for (char &byte : bytes)
        byte = char(random());
    // A few colours most of the time, several hundred now and then.
    bytes[3] = char(random() % 8 ? random() % 12 : random());
    bytes[4] = char(random() % 8 ? 0 : random() % 2);
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    return FixedRun::run(argc, argv, "fuzz_gif", 4000, pictureBytes);
}
#endif
