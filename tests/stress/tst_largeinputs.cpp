#include "ScriptedAnswers.h"
#include "TestUtils.h"
#include "document/FaceFile.h"
#include "document/FaceFileMessages.h"
#include "document/Main.h"
#include "document/PictureBox.h"
#include "output/PictureEncoders.h"
#include "platform/PictureCache.h"
#include "platform/ScalablePicture.h"
#include "selection/ItemSelect.h"
#include "selection/SampleView.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <cstdio>

#include <sys/prctl.h>
#include <sys/resource.h>

#include <zlib.h>

using namespace Qt::StringLiterals;

namespace {

// Every row runs again in a process of its own, which reports how far its
// memory's high-water mark rose while the program dealt with the input: the
// system keeps that mark per process, and it only ever rises.
constexpr char kRowProcess[] = "KAOGUMI_STRESS_ROW";
// Far below what any of these inputs takes when read whole or decoded (100 MB
// of face file, 1.6 GB of pixels), far above what the program needs for them.
constexpr qint64 kMemoryBoundKiB = 64 * 1024;
#ifdef __SANITIZE_ADDRESS__
// AddressSanitizer keeps freed memory aside to catch a later use of it, so
// the peak of a process says little of the program's own needs there.
constexpr bool kPeakCounts = false;
#else
constexpr bool kPeakCounts = true;
#endif

qint64 peakKiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs the current row in a process of its own and checks what it reports.
void runRowInItsOwnProcess()
{
    QString row = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        row += u':' + QString::fromLatin1(QTest::currentDataTag());
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kRowProcess), u"1"_s);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QCoreApplication::applicationFilePath(), {row});
    // No limit of our own: a row that hangs fails by the test's time limit.
    QVERIFY(process.waitForFinished(-1));
    const QString output = QString::fromLocal8Bit(process.readAll());
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
             qPrintable(output));
    const QRegularExpressionMatch grew =
        QRegularExpression(u"peak memory grew by (\\d+) KiB"_s).match(output);
    QVERIFY2(grew.hasMatch(), qPrintable(output));
    qInfo("%s", qPrintable(grew.captured()));
    if (kPeakCounts)
        QVERIFY2(grew.captured(1).toLongLong() < kMemoryBoundKiB, qPrintable(grew.captured()));
}

// A row of the test's own run is done in a process of its own.
#define RUN_IN_OWN_PROCESS()                                                                       \
    do {                                                                                           \
        if (!qEnvironmentVariableIsSet(kRowProcess)) {                                             \
            runRowInItsOwnProcess();                                                               \
            return;                                                                                \
        }                                                                                          \
    } while (false)

QByteArray be32(quint32 v)
{
    const char b[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return {b, 4};
}
QByteArray le16(quint16 v)
{
    const char b[] = {char(v), char(v >> 8)};
    return {b, 2};
}
QByteArray le32(quint32 v)
{
    return le16(quint16(v)) + le16(quint16(v >> 16));
}

// A zlib stream of unit repeated count times, made a megabyte at a time.
QByteArray deflated(const QByteArray &unit, qint64 count)
{
    z_stream z{};
    deflateInit(&z, Z_BEST_COMPRESSION);
    QByteArray out;
    const QByteArray chunk = unit.repeated(qMax<qint64>(1, (1 << 20) / unit.size()));
    const qint64 perChunk = chunk.size() / unit.size();
    char buffer[1 << 16];
    for (qint64 done = 0; done < count;) {
        const qint64 n = qMin(perChunk, count - done);
        done += n;
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(chunk.constData()));
        z.avail_in = uInt(n * unit.size());
        const int flush = done == count ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = reinterpret_cast<Bytef *>(buffer);
            z.avail_out = sizeof buffer;
            deflate(&z, flush);
            out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

QByteArray pngChunk(const char *type, const QByteArray &data)
{
    const QByteArray body = type + data;
    return be32(quint32(data.size())) + body +
           be32(quint32(
               crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size()))));
}

// A PNG of the given header whose pixel data is idat, with other chunks
// before it.
QByteArray png(quint32 width, quint32 height, char bitDepth, char colourType,
               const QByteArray &idat, const QByteArray &chunks = {})
{
    const QByteArray header =
        be32(width) + be32(height) + bitDepth + colourType + '\0' + '\0' + '\0';
    return "\x89PNG\r\n\x1a\n" + pngChunk("IHDR", header) + chunks + pngChunk("IDAT", idat) +
           pngChunk("IEND", {});
}

// An SVG whose one rectangle is used ten times by each of nine groups in
// turn: a thousand million rectangles, were each drawn out.
QByteArray nestedUses()
{
    QByteArray svg = "<svg xmlns='http://www.w3.org/2000/svg' "
                     "xmlns:xlink='http://www.w3.org/1999/xlink' width='100' height='100'>"
                     "<defs><rect id='g0' width='100' height='100' fill='purple'/>";
    for (int level = 1; level <= 9; ++level) {
        svg += "<g id='g" + QByteArray::number(level) + "'>";
        for (int i = 0; i < 10; ++i)
            svg += "<use xlink:href='#g" + QByteArray::number(level - 1) + "'/>";
        svg += "</g>";
    }
    return svg + "</defs><use xlink:href='#g9'/></svg>";
}

// A TIFF of one strip of 1-bit pixels, compressed with deflate.
QByteArray tiff(quint32 width, quint32 height, const QByteArray &strip)
{
    const quint16 kShort = 3, kLong = 4;
    const struct
    {
        quint16 tag, type;
        quint32 value;
    } entries[] = {{256, kLong, width}, {257, kLong, height}, {258, kShort, 1},
                   {259, kShort, 8},    {262, kShort, 1},     {273, kLong, 8 + 2 + 9 * 12 + 4},
                   {277, kShort, 1},    {278, kLong, height}, {279, kLong, quint32(strip.size())}};
    QByteArray bytes = "II*\0"_ba + le32(8) + le16(9);
    for (const auto &e : entries)
        bytes += le16(e.tag) + le16(e.type) + le32(1) + le32(e.value);
    return bytes + le32(0) + strip;
}

// Part pictures built to take memory or time: most would fill far more memory
// than a part may (twenty thousand pixels square is 1.6 GB), told by their
// header alone or hidden in compressed zeros.
QByteArray hostilePicture(const QString &kind)
{
    const QByteArray tinyIdat = deflated(QByteArray(1, '\0'), 16);
    if (kind == u"png")
        return png(20000, 20000, 8, 6, tinyIdat);
    if (kind == u"png bomb") // 50 MB of zero rows, 1-bit grey
        return png(20000, 20000, 1, 0, deflated(QByteArray(2501, '\0'), 20000));
    if (kind == u"png text bomb") // read before the pixels: 100 MB of text
        return png(20000, 20000, 8, 6, tinyIdat,
                   pngChunk("zTXt", "Comment\0\0"_ba + deflated("A"_ba, 100 << 20)));
    if (kind == u"gif")
        return "GIF89a"_ba + le16(65535) + le16(65535) + "\x80\0\0"_ba + "\0\0\0\xff\xff\xff"_ba +
               ',' + le16(0) + le16(0) + le16(65535) + le16(65535) + "\0\x02\x02\x4c\x01\0;"_ba;
    if (kind == u"bmp")
        return "BM"_ba + le32(154) + le32(0) + le32(54) + le32(40) + le32(20000) + le32(20000) +
               le16(1) + le16(24) + le32(0) + le32(0) + le32(2835) + le32(2835) + le32(0) +
               le32(0) + QByteArray(100, '\0');
    if (kind == u"jpeg") {
        const auto segment = [](char marker, const QByteArray &data) {
            const quint16 length = quint16(data.size() + 2);
            return "\xff"_ba + marker + char(length >> 8) + char(length) + data;
        };
        const QByteArray table = QByteArray(1, '\0') + "\0\1"_ba + QByteArray(14, '\0') + '\0';
        return "\xff\xd8"_ba + segment('\xdb', '\0' + QByteArray(64, '\1')) +
               segment('\xc0', "\x08\x4e\x20\x4e\x20\x03\x01\x11\0\x02\x11\0\x03\x11\0"_ba) +
               segment('\xc4', table) + segment('\xc4', '\x10' + table.mid(1)) +
               segment('\xda', "\x03\x01\0\x02\0\x03\0\0\x3f\0"_ba) + QByteArray(1000, '\0') +
               "\xff\xd9"_ba;
    }
    if (kind == u"tiff bomb") // 50 MB of zero rows, 1-bit grey
        return tiff(20000, 20000, deflated(QByteArray(2500, '\0'), 20000));
    if (kind == u"webp") // the largest a WebP holds, 16383 pixels square
        return "RIFF"_ba + le32(4 + 8 + 25) + "WEBPVP8L"_ba + le32(25) + '\x2f' +
               le32(16382 | (16382 << 14) | (1 << 28)) + QByteArray(20, '\0');
    if (kind == u"ppm")
        return "P6\n20000 20000\n255\n"_ba + QByteArray(100, '\0');
    if (kind == u"svg")
        return "<svg xmlns='http://www.w3.org/2000/svg' width='20000' height='20000'>"
               "<rect width='20000' height='20000' fill='purple'/></svg>"_ba;
    if (kind == u"svg nested uses")
        return nestedUses();
    if (kind == u"svg of reused squares")
        return reusedSquaresSvg(2, 5790);
    if (kind == u"ico") { // a PNG of 20000 × 20000 inside an icon
        const QByteArray inner = png(20000, 20000, 8, 6, tinyIdat);
        return le16(0) + le16(1) + le16(1) + "\0\0\0\0"_ba + le16(1) + le16(32) +
               le32(quint32(inner.size())) + le32(22) + inner;
    }
    return {};
}

// Writes count bytes of filler between head and tail, a megabyte at a time,
// so that making the file does not itself raise the memory's high-water mark.
bool writeLargeFile(const QString &path, const QByteArray &head, qint64 count,
                    const QByteArray &tail)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(head) != head.size())
        return false;
    const QByteArray block(1 << 20, 'x');
    for (qint64 left = count; left > 0; left -= block.size()) {
        if (file.write(block.constData(), qMin<qint64>(left, block.size())) < 0)
            return false;
    }
    return file.write(tail) == tail.size();
}

ItemSelect *pickerOf(const Main &w, const QString &category)
{
    for (ItemSelect *p : w.openPickers()) {
        if (p->TypeName() == category)
            return p;
    }
    return nullptr;
}

// The colour a picker's sample shows at the middle of its left quarter.
QString sampleColour(const ItemSelect &picker)
{
    const QImage sample = picker.Image1->grab().toImage();
    return rgbName(sample, sample.width() / 4, sample.height() / 2);
}

} // namespace

class TestLargeInputs : public QObject
{
    Q_OBJECT

    qint64 m_peakBefore = 0;

    // From here on the row's memory counts: what came before made its inputs.
    void startCounting() { m_peakBefore = peakKiB(); }

private Q_SLOTS:
    void initTestCase()
    {
        // A row's process ends with the test's, also when the time limit
        // ends the test.
        if (qEnvironmentVariableIsSet(kRowProcess))
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    }
    void cleanup()
    {
        if (qEnvironmentVariableIsSet(kRowProcess) && m_peakBefore > 0)
            std::printf("peak memory grew by %lld KiB\n", peakKiB() - m_peakBefore);
    }

    // A face file holds two short lines, so only its first megabyte is read:
    // a file far larger is refused as no face file without being read whole,
    // and a face file with a mass of bytes after its fields still opens.
    void aFaceFileIsReadOnlyAsFarAsAFaceCanReach_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<qint64>("filler"); // bytes of 'x'
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<bool>("opens");
        // The face of ColourFace, whose parts the sandbox holds.
        const QByteArray face =
            sjis(u"\"顔\\f03.png\",\"髪\\h07.png\",\"目\\e12.png\",\"口\\m01.png\",\"\"\r\n"
                 u"\"03\",\"07\",\"12\",\"01\",\"\"\r\n"_s);
        const qint64 mb = 1000 * 1000;
        QTest::newRow("100 MB without a line end")
            << QByteArray() << 100 * mb << QByteArray() << false;
        QTest::newRow("a field of 10 MB")
            << face.left(face.indexOf("\",")) << 10 * mb << face.mid(face.indexOf("\",")) << false;
        QTest::newRow("a face, then 100 MB") << face << 100 * mb << QByteArray() << true;
    }
    void aFaceFileIsReadOnlyAsFarAsAFaceCanReach()
    {
        RUN_IN_OWN_PROCESS();
        QFETCH(QByteArray, head);
        QFETCH(qint64, filler);
        QFETCH(QByteArray, tail);
        QFETCH(bool, opens);
        SandboxAppDir app;
        ColourFace face(app);
        QVERIFY(app.writeFile(u"face.kgm"_s, face.fileBytes()));
        const QString large = app.filePath(u"large.kgm"_s);
        QVERIFY(writeLargeFile(large, head, filler, tail));
        ScriptedMessages messages;
        ScriptedFiles files;
        Main w(app.path());
        w.Form_Load(app.filePath(u"face.kgm"_s));
        files.choose(large);

        startCounting();
        w.F_Open_Click();
        if (opens) {
            QVERIFY(messages.asked.isEmpty());
            QCOMPARE(w.document().FaceFileName, large);
        } else {
            QCOMPARE(messages.asked.size(), 1);
            QCOMPARE(messages.asked.first().prompt, FaceFile::readRefusalMessage({}));
            QCOMPARE(w.document().FaceFileName, app.filePath(u"face.kgm"_s));
        }
        QCOMPARE(w.document().PartFiles, face.files);
    }

    // A part picture built to take memory or time, stepped onto in its picker
    // and taken into the face: one too large to decode leaves the picker
    // showing the part before and its layer empty, one that can be drawn is
    // drawn; memory stays bounded and nothing hangs. An SVG names a canvas of
    // any size and is drawn no larger than a part; one whose reused groups
    // would draw a thousand million squares is not drawn. Asked for at 2048
    // pixels square (a picture of kaogumi-render), a drawing of one shape is
    // drawn at that size, one of ten thousand squares not much larger than a
    // part.
    void aHostilePartPicture_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("shown"); // the picture's colour; "" for none
        QTest::addColumn<bool>("large");    // a drawing drawn at 2048 pixels square
        for (const char *kind : {"png", "png bomb", "png text bomb", "gif", "bmp", "jpeg",
                                 "tiff bomb", "webp", "ppm", "ico", "svg nested uses"})
            QTest::newRow(kind) << QString::fromLatin1(kind) << QString() << false;
        QTest::newRow("svg") << u"svg"_s << u"#800080"_s << true;
        QTest::newRow("svg of reused squares")
            << u"svg of reused squares"_s << u"#800080"_s << false;
    }
    void aHostilePartPicture()
    {
        RUN_IN_OWN_PROCESS();
        QFETCH(QString, kind);
        QFETCH(QString, shown);
        SandboxAppDir app;
        ColourFace face(app);
        QVERIFY(app.writeFile(u"face.kgm"_s, face.fileBytes()));
        // Sorted after the hair of the face, h07.png.
        QVERIFY(app.writeFile(u"髪/h99"_s, hostilePicture(kind)));
        ScriptedMessages messages;
        Main w(app.path());
        w.Form_Load(app.filePath(u"face.kgm"_s));
        ItemSelect *hair = pickerOf(w, u"髪"_s);
        QVERIFY(hair);
        const QString blue = QColor(Qt::blue).name();
        QCOMPARE(sampleColour(*hair), blue);

        startCounting();
        hair->setPosition(1);
        QCOMPARE(sampleColour(*hair), shown.isEmpty() ? blue : shown);
        QVERIFY(hair->Command1_Click());
        QCOMPARE(w.document().PartFiles.Hair, u"髪\\h99"_s);
        // Without the hair, its box shows the red outline beneath it.
        QCOMPARE(rgbName(w.Picture1->image(), 50, 100),
                 shown.isEmpty() ? QColor(Qt::red).name() : shown);
        QVERIFY(messages.asked.isEmpty());
        if (shown.isEmpty())
            return;
        const PictureFile::Picture part = PictureCache::shared().load(app.filePath(u"髪/h99"_s));
        QVERIFY(part.drawing);
        const QSize drawn = part.drawing->picture({2048, 2048}).size();
        QFETCH(bool, large);
        QCOMPARE(drawn.width() == 2048, large);
        QVERIFY2(large || drawn.width() < 1024, qPrintable(QString::number(drawn.width())));
    }

    // A parts folder of fifty thousand files: the picker lists them all,
    // steps to the last one, shows it and takes it into the face.
    void fiftyThousandParts()
    {
        RUN_IN_OWN_PROCESS();
        // In memory where the system has a memory file system: a disk takes
        // seconds to make the entries.
        const QString shm = u"/dev/shm"_s;
        QTemporaryDir dir(QDir(shm).exists() ? shm + u"/kaogumi-XXXXXX"_s : QString());
        QVERIFY(QDir(dir.path()).mkpath(u"口"_s));
        QVERIFY(createEmptyFiles(dir.filePath(u"口"_s), "m", 50000));
        QImage purple(10, 10, QImage::Format_RGB32);
        purple.fill(QColor(128, 0, 128));
        QVERIFY(purple.save(dir.filePath(u"口/m49999"_s), "PNG"));
        ScriptedMessages messages;
        Main w(dir.path());

        startCounting();
        w.Form_Load({});
        ItemSelect *mouth = pickerOf(w, u"口"_s);
        QVERIFY(mouth);
        QCOMPARE(mouth->highest(), 49999);
        mouth->setPosition(49999);
        QCOMPARE(mouth->position(), 49999);
        QCOMPARE(sampleColour(*mouth), u"#800080"_s);
        QVERIFY(mouth->Command1_Click());
        QCOMPARE(w.document().PartFiles.Mouth, u"口\\m49999"_s);
        QCOMPARE(w.document().PartCodes.Mouth, u"49999"_s);
        QCOMPARE(rgbName(w.Picture1->image(), 120, 200), u"#800080"_s);
        QVERIFY(messages.asked.isEmpty());
    }

    // An exported picture keeps its face in a comment or a text chunk; a
    // picture dropped on the window whose texts run to hundreds of megabytes,
    // or whose face file is larger than a face file may be, is no such
    // picture: what is too long is passed over without being gathered or
    // inflated, and the face code beside it is still read.
    void aPictureTextLongerThanAnyFace_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("GIF comment of 100 MB") << u"gif"_s;
        QTest::newRow("PNG of fifty compressed texts of 7.9 MB") << u"png ztxt"_s;
        QTest::newRow("PNG whose face file is one byte larger than a face file") << u"png over"_s;
    }
    void aPictureTextLongerThanAnyFace()
    {
        RUN_IN_OWN_PROCESS();
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"huge-text"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (kind == u"gif")
            QVERIFY(writeGifWithHugeComment(file));
        else
            QVERIFY(file.write(pngWithHugeTexts(kind == u"png ztxt")) > 0);
        file.close();

        startCounting();
        const auto memo = PictureEncoders::readMemo(path);
        QVERIFY(memo);
        QVERIFY(memo->faceFile.isEmpty());
        QCOMPARE(memo->faceCode, u"403120004"_s);
    }

private:
    // 1 × 1 pixels without a colour table, the face code, then a comment
    // under the memo's key that runs to 100 MB.
    static bool writeGifWithHugeComment(QFile &file)
    {
        const auto comment = [](const QByteArray &text) {
            QByteArray out("\x21\xfe");
            for (qsizetype at = 0; at < text.size(); at += 255)
                out += char(qMin<qsizetype>(255, text.size() - at)) + text.mid(at, 255);
            return out + '\0';
        };
        const QByteArray head = "GIF89a" + le16(1) + le16(1) + QByteArray(3, '\0') +
                                comment("KaogumiFaceCode: 403120004");
        const QByteArray faceKey("\x21\xfe\xff"
                                 "KaogumiFace: ");
        file.write(head + faceKey + QByteArray(255 - 13, 'A'));
        const QByteArray block = '\xff' + QByteArray(255, 'A');
        for (int i = 0; i < 400002; ++i) {
            if (file.write(block) != block.size())
                return false;
        }
        return file.write(QByteArray("\0\x3b", 2)) == 2;
    }
    // A PNG of 1 × 1 pixels with the face code and either fifty zTXt chunks
    // that each inflate to 7.9 MB, one of them under the memo's key, or a
    // face file one byte larger than a face file may be.
    static QByteArray pngWithHugeTexts(bool compressed)
    {
        QByteArray texts = pngChunk("tEXt", "KaogumiFaceCode\0"_ba + "403120004");
        if (compressed) {
            const QByteArray inflatesTo8MB = deflated("A"_ba, 7'900'000);
            for (const char *keyword : {"KaogumiFace", "Comment"}) {
                for (int i = 0; i < 25; ++i)
                    texts += pngChunk("zTXt", keyword + "\0\0"_ba + inflatesTo8MB);
            }
        } else {
            texts += pngChunk("tEXt", "KaogumiFace\0"_ba +
                                          QByteArray(FaceFile::MaxFileBytes + 1, 'x').toBase64());
        }
        return png(1, 1, 8, 2, deflated(QByteArray(4, '\0'), 1), texts);
    }
};

QTEST_MAIN(TestLargeInputs)
#include "tst_largeinputs.moc"
