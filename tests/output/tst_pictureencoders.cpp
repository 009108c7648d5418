#include "TestUtils.h"
#include "document/Composite.h"
#include "document/FaceCode.h"
#include "document/FaceFile.h"
#include "output/PictureEncoders.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <gif_lib.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

using namespace Qt::StringLiterals;
using PictureEncoders::Memo;

namespace {

enum class Format { BMP, PNG, PNGFast, JPEG, GIF };

const char *extension(Format format)
{
    switch (format) {
    case Format::BMP:
        return "bmp";
    case Format::PNG:
    case Format::PNGFast:
        return "png";
    case Format::JPEG:
        return "jpg";
    case Format::GIF:
        return "gif";
    }
    return "";
}

AtomicFile::Result save(Format format, const QImage &picture, const QString &path,
                        const Memo &memo = {}, quint8 quality = 90)
{
    const auto *pixels = reinterpret_cast<const quint32 *>(picture.constBits());
    const int w = picture.width(), h = picture.height();
    switch (format) {
    case Format::BMP:
        return PictureEncoders::SaveBMP(pixels, w, h, path);
    case Format::PNG:
    case Format::PNGFast:
        return PictureEncoders::DCSavetoPNG(
            pixels, w, h, path, format == Format::PNG ? 0 : PictureEncoders::PngFast, memo);
    case Format::JPEG:
        return PictureEncoders::DCSavetoJPEG(pixels, w, h, path, quality, 0, memo);
    case Format::GIF:
        return PictureEncoders::SaveGIF(pixels, w, h, path, memo);
    }
    return {};
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The colour-face composite: a handful of flat colours, with a few blended
// columns where the hair's opaque half is stretched.
QImage facePicture()
{
    SandboxAppDir app;
    const ColourFace face(app);
    return Composite::picture(Composite::loadLayers(app.path(), face.files));
}

// Every pixel a colour of its own: red along x, green along y.
QImage gradient()
{
    QImage picture(Composite::SurfaceWidth, Composite::SurfaceHeight, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x, y * 255 / (picture.height() - 1), (x + y) * 255 / 512));
    }
    return picture;
}

// Exactly 256 colours, in blocks.
QImage colours256()
{
    QImage picture(Composite::SurfaceWidth, Composite::SurfaceHeight, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x / 16 * 17, y / 17 * 17, 128));
    }
    return picture;
}

QImage blank()
{
    QImage picture(Composite::SurfaceWidth, Composite::SurfaceHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    return picture;
}

qsizetype colourCount(const QImage &picture)
{
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x)
            colours.insert(picture.pixel(x, y));
    }
    return colours.size();
}

// The texts of a GIF's comment extensions, "key: value", read with giflib's
// own reader: each comment joined from its sub-blocks.
QHash<QString, QByteArray> gifComments(const QString &path)
{
    int error = 0;
    const std::unique_ptr<GifFileType, void (*)(GifFileType *)> gif(
        DGifOpenFileName(QFile::encodeName(path).constData(), &error),
        [](GifFileType *g) { DGifCloseFile(g, nullptr); });
    QHash<QString, QByteArray> texts;
    if (!gif || DGifSlurp(gif.get()) != GIF_OK || gif->ImageCount != 1)
        return texts;
    QList<QByteArray> comments;
    const SavedImage &image = gif->SavedImages[0];
    for (int i = 0; i < image.ExtensionBlockCount; ++i) {
        const ExtensionBlock &block = image.ExtensionBlocks[i];
        const QByteArray bytes(reinterpret_cast<const char *>(block.Bytes), block.ByteCount);
        if (block.Function == COMMENT_EXT_FUNC_CODE)
            comments.append(bytes);
        else if (block.Function == CONTINUE_EXT_FUNC_CODE && !comments.isEmpty())
            comments.last().append(bytes);
    }
    for (const QByteArray &comment : comments) {
        const qsizetype colon = comment.indexOf(": ");
        if (colon > 0)
            texts.insert(QString::fromLatin1(comment.left(colon)), comment.mid(colon + 2));
    }
    return texts;
}

// The texts a picture carries, as other programs read them: Qt for PNG and
// JPEG, giflib for GIF.
QHash<QString, QByteArray> storedTexts(Format format, const QString &path)
{
    if (format == Format::GIF)
        return gifComments(path);
    QHash<QString, QByteArray> texts;
    QImageReader reader(path);
    const QStringList keys = reader.textKeys();
    for (const QString &key : keys)
        texts.insert(key, reader.text(key).toLatin1());
    return texts;
}

} // namespace

Q_DECLARE_METATYPE(Format)
Q_DECLARE_METATYPE(AtomicFile::Result::Error)

class TestPictureEncoders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesToThePicture_data()
    {
        QTest::addColumn<Format>("format");
        QTest::addColumn<QImage>("picture");
        // The largest difference allowed in any channel of any pixel, and on
        // average over all channels of all pixels.
        QTest::addColumn<int>("maxError");
        QTest::addColumn<double>("meanError");

        const QImage face = facePicture(), many = gradient(), few = colours256();
        QTest::newRow("BMP, every pixel its own colour") << Format::BMP << many << 0 << 0.0;
        QTest::newRow("PNG, every pixel its own colour") << Format::PNG << many << 0 << 0.0;
        QTest::newRow("fast PNG of a face") << Format::PNGFast << face << 0 << 0.0;
        QTest::newRow("fast PNG, every pixel its own colour")
            << Format::PNGFast << many << 0 << 0.0;
        QTest::newRow("GIF of a face") << Format::GIF << face << 0 << 0.0;
        QTest::newRow("GIF of exactly 256 colours") << Format::GIF << few << 0 << 0.0;
        QTest::newRow("GIF of one colour") << Format::GIF << blank() << 0 << 0.0;
        // 256 colours for some 66,000: each stands for a patch of about 16 × 16.
        QTest::newRow("GIF, every pixel its own colour") << Format::GIF << many << 16 << 4.0;
        // Pure colours meeting at sharp edges lose much of their colour there.
        QTest::newRow("JPEG q90 of a face") << Format::JPEG << face << 255 << 2.0;
        QTest::newRow("JPEG q90 of a gradient") << Format::JPEG << many << 8 << 1.0;
    }
    void decodesToThePicture()
    {
        QFETCH(Format, format);
        QFETCH(QImage, picture);
        QFETCH(int, maxError);
        QFETCH(double, meanError);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"face."_s + QLatin1StringView(extension(format)));

        QVERIFY(save(format, picture, path).ok());
        if (maxError == 0 && format == Format::GIF)
            QVERIFY(colourCount(picture) <= 256);
        if (maxError != 0 && format == Format::GIF)
            QVERIFY(colourCount(picture) > 256);

        QImageReader reader(path);
        reader.setDecideFormatFromContent(true);
        const QImage decoded = reader.read().convertToFormat(QImage::Format_RGB32);
        QVERIFY2(!decoded.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(decoded.size(), picture.size());
        int worst = 0;
        double sum = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const QRgb a = picture.pixel(x, y), b = decoded.pixel(x, y);
                for (const int d :
                     {qRed(a) - qRed(b), qGreen(a) - qGreen(b), qBlue(a) - qBlue(b)}) {
                    worst = std::max(worst, std::abs(d));
                    sum += std::abs(d);
                }
            }
        }
        const double mean = sum / (3.0 * picture.width() * picture.height());
        QVERIFY2(worst <= maxError, qPrintable(u"largest difference %1"_s.arg(worst)));
        QVERIFY2(mean <= meanError, qPrintable(u"mean difference %1"_s.arg(mean)));

        if (format == Format::BMP) {
            // 24 bits a pixel, rows padded to 4 bytes: 249 pixels take 748.
            const QByteArray bytes = fileBytes(path);
            QCOMPARE(bytes.size(), 54 + 748 * picture.height());
            QCOMPARE(bytes.mid(28, 2), QByteArray("\x18\x00", 2));
        }
    }

    void jpegQualityRunsFromSmallToBest()
    {
        QTemporaryDir dir;
        const QImage face = facePicture();
        const auto jpeg = [&](quint8 quality) {
            const QString path = dir.filePath(u"q%1.jpg"_s.arg(quality));
            return save(Format::JPEG, face, path, {}, quality).ok() ? fileBytes(path)
                                                                    : QByteArray();
        };
        const QByteArray q0 = jpeg(0), q1 = jpeg(1), q100 = jpeg(100), q200 = jpeg(200);
        QVERIFY(!q1.isEmpty());
        QVERIFY2(q1.size() < q100.size() / 2,
                 qPrintable(u"q1 %1 bytes, q100 %2"_s.arg(q1.size()).arg(q100.size())));
        QCOMPARE(q200, q100);
        QCOMPARE(q0, q1);
    }

    void carriesTheMemo_data()
    {
        QTest::addColumn<Format>("format");
        QTest::addColumn<QByteArray>("faceFile");
        QTest::addColumn<QString>("faceCode");
        QTest::addColumn<bool>("written"); // false: refused, nothing written

        SandboxAppDir app;
        const ColourFace face(app);
        const QString code = FaceCode::compose(face.codes);
        // Longer than a GIF sub-block, in UTF-8 since code page 932 has no é.
        const QString longName = u"顔\\"_s + QString(120, u'é') + u".png"_s;
        const FaceFile::WriteResult utf8 =
            FaceFile::write({longName, {}, {}, {}}, {u"00"_s, {}, {}, {}});
        QVERIFY(utf8.ok());

        // Larger than a JPEG comment holds: 200 KB of face file, 270 KB in base64.
        const FaceFile::WriteResult large = FaceFile::write(
            {u"顔\\"_s + QString(200'000, u'f'), {}, {}, {}}, {u"00"_s, {}, {}, {}});
        QVERIFY(large.ok());
        const QByteArray tooLarge(FaceFile::MaxFileBytes + 1, 'x');

        for (const Format format : {Format::PNG, Format::JPEG, Format::GIF}) {
            const QByteArray name = extension(format);
            QTest::newRow(name + ", code page 932") << format << face.fileBytes() << code << true;
            QTest::newRow(name + ", long UTF-8") << format << utf8.bytes << u"4000"_s << true;
            QTest::newRow(name + ", code alone") << format << QByteArray() << code << true;
            QTest::newRow(name + ", none") << format << QByteArray() << QString() << true;
            QTest::newRow(name + ", 200 KB") << format << large.bytes << code << true;
            QTest::newRow(name + ", larger than a face file")
                << format << tooLarge << code << false;
        }
        QTest::newRow("bmp carries none") << Format::BMP << face.fileBytes() << code << true;
    }
    void carriesTheMemo()
    {
        QFETCH(Format, format);
        QFETCH(QByteArray, faceFile);
        QFETCH(QString, faceCode);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"face."_s + QLatin1StringView(extension(format)));
        const Memo memo{faceFile, faceCode};
        const AtomicFile::Result result = save(format, facePicture(), path, memo);
        QCOMPARE(result.ok(), written);
        if (!written) {
            // Said why, and nothing left that the reader would refuse.
            QVERIFY(result.reason.contains(QString::number(FaceFile::MaxFileBytes)));
            QVERIFY(!QFile::exists(path));
            return;
        }

        const std::optional<Memo> read = PictureEncoders::readMemo(path);
        if (format == Format::BMP || memo.isEmpty()) {
            QVERIFY(!read);
            return;
        }

        QVERIFY(read);
        QCOMPARE(read->faceFile, faceFile);
        QCOMPARE(read->faceCode, faceCode);
        // A JPEG's memo in pieces is joined by our reader alone.
        if (format == Format::JPEG && faceFile.size() > 40'000)
            return;

        // Read as any other program reads the file's texts.
        const QHash<QString, QByteArray> texts = storedTexts(format, path);
        const QString faceKey = QString::fromLatin1(PictureEncoders::MemoKey);
        const QString codeKey = QString::fromLatin1(PictureEncoders::MemoCodeKey);
        QCOMPARE(texts.contains(faceKey), !faceFile.isEmpty());
        QCOMPARE(QByteArray::fromBase64(texts.value(faceKey)), faceFile);
        QCOMPARE(QString::fromUtf8(texts.value(codeKey)), faceCode);
        if (!faceFile.isEmpty()) {
            const FaceFile::ReadResult original = FaceFile::read(faceFile);
            const FaceFile::ReadResult carried =
                FaceFile::read(QByteArray::fromBase64(texts.value(faceKey)));
            QVERIFY(carried.ok());
            QCOMPARE(carried.PartFiles, original.PartFiles);
            QCOMPARE(carried.PartCodes, original.PartCodes);
        }
    }

    void failedWriteLeavesFilesAlone_data()
    {
        QTest::addColumn<QString>("target"); // relative to the folder
        QTest::addColumn<AtomicFile::Result::Error>("error");
        QTest::newRow("missing folder") << u"missing/face"_s << AtomicFile::Result::Error::System;
        QTest::newRow("folder in the file's place")
            << u"folder"_s << AtomicFile::Result::Error::NotRegularFile;
        QTest::newRow("file in a folder's place")
            << u"old.png/face"_s << AtomicFile::Result::Error::System;
        QTest::newRow("an existing file is replaced")
            << u"old.png"_s << AtomicFile::Result::Error::None;
    }
    void failedWriteLeavesFilesAlone()
    {
        QFETCH(QString, target);
        QFETCH(AtomicFile::Result::Error, error);
        const QImage face = facePicture();
        for (const Format format : {Format::BMP, Format::PNG, Format::JPEG, Format::GIF}) {
            QTemporaryDir dir;
            QVERIFY(QDir(dir.path()).mkpath(u"folder"_s));
            const QByteArray old = "an existing picture";
            for (const QString &name : {u"old.png"_s, u"folder/inside"_s}) {
                QFile file(dir.filePath(name));
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
            }
            const QString path = dir.filePath(target);

            const AtomicFile::Result result = save(format, face, path, {"memo", u"4000"_s});

            QCOMPARE(result.error, error);
            QCOMPARE(result.reason.isEmpty(), error != AtomicFile::Result::Error::System);
            QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     (QStringList{u"folder"_s, u"old.png"_s}));
            QCOMPARE(fileBytes(dir.filePath(u"folder/inside"_s)), old);
            if (error == AtomicFile::Result::Error::None)
                QVERIFY(QImageReader(path).canRead());
            else
                QCOMPARE(fileBytes(dir.filePath(u"old.png"_s)), old);
        }
    }
};

QTEST_MAIN(TestPictureEncoders)
#include "tst_pictureencoders.moc"
