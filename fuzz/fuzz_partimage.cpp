// Puts hostile bytes into a parts folder and reads them as a part picture,
// draws the face of them and reads them as a dropped picture. Qt picks the
// decoder from the bytes, so every image format plugin installed is reached.
// The properties:
//  - no fault and no hang (libFuzzer's -timeout), and no picture beyond the
//    decoder's allocation limit, which the program leaves at Qt's default;
//  - the part the composite loads is the picture the file holds (with its
//    alpha premultiplied), or nothing when the file holds none;
//  - the face drawn of it is the surface's size, whatever the part's.
#include "document/Composite.h"
#include "output/PictureEncoders.h"
#include "platform/PictureFile.h"

#include "FixedRun.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

QTemporaryDir *g_folder = nullptr;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "part picture: %s\n", what);
    std::abort();
}

QImage premultiplied(const QImage &image)
{
    return image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                   : image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Drawing an SVG picture's text needs the fonts of a GUI application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    // Decoders warn of every broken file.
    QLoggingCategory::setFilterRules(u"*.warning=false"_s);
    // Removed with its files when the run ends.
    static QTemporaryDir folder;
    g_folder = &folder;
    if (!folder.isValid() || !QDir(folder.path()).mkpath(u"顔"_s))
        fail("no temporary folder");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = g_folder->filePath(u"顔/part"_s);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size)) {
            fail("cannot write the part file");
        }
    }

    const QImage picture = PictureFile::read(path);
    if (picture.sizeInBytes() > qsizetype(QImageReader::allocationLimit()) << 20)
        fail("a picture beyond the decoder's allocation limit");
    const QImage part = Composite::loadPart(g_folder->path(), u"顔\\part"_s);
    if (part.isNull() != picture.isNull() ||
        (!part.isNull() && premultiplied(part) != premultiplied(picture))) {
        fail("the part loaded is not the picture the file holds");
    }
    if (!part.isNull()) {
        const QImage face = Composite::picture({part, part, part, part});
        if (face.size() != QSize(Composite::SurfaceWidth, Composite::SurfaceHeight))
            fail("the face drawn is not the surface's size");
    }
    // A picture dropped on the main window is asked for the face it carries
    // and decoded as a drop decodes it, by the formats a drop may be in.
    (void)PictureEncoders::readMemo(path);
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    (void)PictureEncoders::readMemo(bytes);
    (void)PictureFile::decode(bytes, {"png", "jpeg", "gif", "bmp", "tiff", "webp"}, 2048);
    return 0;
}

#ifndef KAOGUMI_LIBFUZZER
namespace {

// A small picture in each format the parts come in, bytes flipped or cut off
// in most of them.
std::string damagedPicture(std::mt19937 &random)
{
    static const char *const formats[] = {"PNG", "BMP", "JPG", "ICO", "SVG"};
    const char *format = formats[random() % std::size(formats)];
    QByteArray bytes;
    if (qstrcmp(format, "SVG") == 0) {
        bytes = "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='30'>"
                "<rect width='20' height='10' fill='red'/><text y='20'>顔</text></svg>";
    } else {
        QImage image(1 + int(random() % 40), 1 + int(random() % 40), QImage::Format_ARGB32);
        image.fill(QColor::fromRgba(random()));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
    }
    std::string input = bytes.toStdString();
    for (size_t n = random() % 4; n > 0 && !input.empty(); --n)
        input[random() % input.size()] = char(random());
    if (random() % 4 == 0 && !input.empty())
        input.resize(random() % input.size());
    return input;
}

} // namespace

int main(int argc, char **argv)
{
    return FixedRun::run(argc, argv, "fuzz_partimage", 1500, damagedPicture);
}
#endif
