#include "FullFilesystem.h"
#include "TestUtils.h"
#include "document/Composite.h"
#include "document/FaceFile.h"

#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString kRender = QStringLiteral(KAOGUMI_RENDER);

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

// The command run in folder; program and prefix put it under another
// command (prlimit), which is given kRender then arguments. A command that
// takes longer than timeout gives status -1.
Run render(const QStringList &arguments, const QString &folder, const QStringList &prefix = {},
           int timeout = 60000)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    if (prefix.isEmpty())
        process.start(kRender, arguments);
    else
        process.start(prefix.first(), prefix.mid(1) + QStringList{kRender} + arguments);
    if (!process.waitForFinished(timeout))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QImage decoded(const QString &path)
{
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

// A face file naming the bundled parts f, e, h, m of the given numbers.
QByteArray faceFile(int outline, int eyes, int hair, int mouth)
{
    const auto two = [](int n) { return QString::number(n).rightJustified(2, u'0'); };
    FaceParts files{u"顔\\f%1.svg"_s.arg(two(outline)), u"口\\m%1.svg"_s.arg(two(mouth)),
                    u"髪\\h%1.svg"_s.arg(two(hair)), u"目\\e%1.svg"_s.arg(two(eyes))};
    FaceParts codes{two(outline), two(mouth), two(hair), two(eyes)};
    return FaceFile::write(files, codes).bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The PNG with a gAMA chunk whose check sum is wrong after its header: the
// decoder warns about it at every decode, and draws the picture anyway.
QByteArray withBadGamma(const QByteArray &png)
{
    const qsizetype afterHeader = 8 + 25;
    return png.left(afterHeader) + QByteArray("\0\0\0\4gAMA\0\0\xb1\x8f\0\0\0\0", 16) +
           png.mid(afterHeader);
}

// A user id of its own for the commands whose threads are limited: the limit
// counts every process of the user.
constexpr int kLimitedUser = 64813;

// Face files in a batch drawn under hard conditions: enough that the faults
// those conditions brought out showed in nearly every run.
constexpr int kFaces = 600;

} // namespace

class TestRender : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void mixedInputs_data();
    void mixedInputs();
    void codeMatchesFaceFile_data();
    void codeMatchesFaceFile();
    void size_data();
    void size();
    void formats_data();
    void formats();
    void random_data();
    void random();
    void refusedCommandLine_data();
    void refusedCommandLine();
    void hardConditions_data();
    void hardConditions();
    void batchCutShort_data();
    void batchCutShort();

private:
    QTemporaryDir m_dir;
    QString m_appDir;
    Run m_mixed;
};

void TestRender::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_appDir = QFileInfo(kRender).absolutePath();
    // One run over good and bad inputs together, each row below checks one.
    const QString d = m_dir.path();
    QVERIFY(writeFile(d + u"/good.kgm"_s, faceFile(3, 12, 7, 1)));
    QVERIFY(writeFile(d + u"/notface.kgm"_s, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
    QVERIFY(writeFile(d + u"/blocked.kgm"_s, faceFile(1, 1, 1, 1)));
    QVERIFY(QDir(d).mkpath(u"mixed/blocked.png"_s)); // a folder where its picture would go
    m_mixed =
        render({u"good.kgm"_s, u"missing.kgm"_s, u"notface.kgm"_s, u"blocked.kgm"_s, u"--code"_s,
                u"400020304"_s, u"--code"_s, u"4x0020304"_s, u"-o"_s, u"mixed"_s},
               d);
}

void TestRender::mixedInputs_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("picture"); // empty: none is written, and the input is named
    QTest::newRow("face file") << u"good.kgm"_s << u"mixed/good.png"_s;
    QTest::newRow("face code") << u"400020304"_s << u"mixed/400020304.png"_s;
    QTest::newRow("missing file") << u"missing.kgm"_s << QString();
    QTest::newRow("not a face file") << u"notface.kgm"_s << QString();
    QTest::newRow("bad code") << u"4x0020304"_s << QString();
    QTest::newRow("unwritable picture") << u"blocked.kgm"_s << QString();
}

void TestRender::mixedInputs()
{
    QFETCH(QString, input);
    QFETCH(QString, picture);
    QCOMPARE(m_mixed.status, 1);
    const bool named = m_mixed.err.contains(u"kaogumi-render: %1: "_s.arg(input));
    if (picture.isEmpty()) {
        QVERIFY2(named, qPrintable(m_mixed.err));
    } else {
        QVERIFY2(!named, qPrintable(m_mixed.err));
        QCOMPARE(decoded(m_dir.filePath(picture)).size(), QSize(249, 265));
    }
}

void TestRender::codeMatchesFaceFile_data()
{
    // The bundled folders hold 16 parts each (highest position 15): a larger
    // field is divided by 15, as the Edit menu's entry does.
    QTest::addColumn<QString>("code");
    QTest::addColumn<QList<int>>("parts"); // outline, eyes, hair, mouth
    QTest::newRow("plain") << u"403120701"_s << QList<int>{3, 12, 7, 1};
    QTest::newRow("firsts") << u"400000000"_s << QList<int>{0, 0, 0, 0};
    QTest::newRow("past the end") << u"499991516"_s << QList<int>{6, 6, 15, 1};
}

void TestRender::codeMatchesFaceFile()
{
    QFETCH(QString, code);
    QFETCH(QList<int>, parts);
    const QString d = m_dir.path();
    const QString file = d + u"/same-"_s + code + u".kgm"_s;
    QVERIFY(writeFile(file, faceFile(parts[0], parts[1], parts[2], parts[3])));
    QCOMPARE(render({u"--code"_s, code, u"-o"_s, u"code.png"_s}, d).status, 0);
    QCOMPARE(render({file, u"-o"_s, u"file.png"_s}, d).status, 0);

    const QImage fromCode = decoded(d + u"/code.png"_s);
    QCOMPARE(fromCode.size(), QSize(249, 265));
    QCOMPARE(fromCode, decoded(d + u"/file.png"_s));
    // The program's own composite of those parts, pixel for pixel.
    const FaceFile::ReadResult face =
        FaceFile::read(faceFile(parts[0], parts[1], parts[2], parts[3]));
    QCOMPARE(fromCode, Composite::picture(Composite::loadLayers(m_appDir, face.PartFiles)));
}

void TestRender::size_data()
{
    QTest::addColumn<int>("longer");
    QTest::addColumn<QSize>("expected");
    QTest::addColumn<bool>("drawings"); // a library of drawings instead of the bundled one
    QTest::newRow("thumbnail") << 128 << QSize(120, 128) << false;
    QTest::newRow("one pixel") << 1 << QSize(1, 1) << false;
    QTest::newRow("double") << 530 << QSize(498, 530) << false;
    QTest::newRow("four times, drawings") << 1060 << QSize(996, 1060) << true;
    QTest::newRow("a thumbnail, drawings") << 128 << QSize(120, 128) << true;
}

void TestRender::size()
{
    QFETCH(int, longer);
    QFETCH(QSize, expected);
    QFETCH(bool, drawings);
    const QString d = m_dir.path();
    SandboxAppDir library;
    QStringList parts;
    if (drawings) {
        library.addDrawing(u"顔"_s, u"f00.svg"_s, {200, 240}, Qt::red);
        library.addDrawing(u"目"_s, u"e00.svg"_s, {80, 80}, Qt::green);
        library.addDrawing(u"髪"_s, u"h00.svg"_s, {200, 200}, Qt::blue);
        library.addDrawing(u"口"_s, u"m00.svg"_s, {100, 100}, Qt::yellow);
        parts = QStringList{u"--parts"_s, library.path()};
    }
    QCOMPARE(render(parts + QStringList{u"--size"_s, QString::number(longer), u"--code"_s,
                                        u"403120701"_s, u"-o"_s, u"sized.png"_s},
                    d)
                 .status,
             0);
    const QImage image = decoded(d + u"/sized.png"_s);
    QCOMPARE(image.size(), expected);
    // Painted, not left blank: the hair's colour reaches the top middle.
    if (longer > 100 && !drawings)
        QVERIFY(image.pixel(expected.width() / 2, longer / 20) != qRgb(255, 255, 255));
    // The drawings are drawn at the picture's size: the eyes' edge, at 112.2
    // of the surface's 249, softens one pixel at most.
    const qreal scale = qreal(longer) / Composite::SurfaceHeight;
    if (drawings)
        QVERIFY(softPixels(image, QPointF(107 * scale, 120 * scale).toPoint(), int(10 * scale)) <=
                1);
}

void TestRender::formats_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QByteArray>("format");
    QTest::newRow("bmp") << QStringList{u"-o"_s, u"f.bmp"_s} << u"f.bmp"_s << QByteArray("bmp");
    QTest::newRow("gif") << QStringList{u"-o"_s, u"f.gif"_s} << u"f.gif"_s << QByteArray("gif");
    QTest::newRow("png") << QStringList{u"-o"_s, u"f.PNG"_s} << u"f.PNG"_s << QByteArray("png");
    QTest::newRow("jpg") << QStringList{u"-o"_s, u"f.jpg"_s} << u"f.jpg"_s << QByteArray("jpeg");
    QTest::newRow("jpeg") << QStringList{u"-o"_s, u"f.jpeg"_s} << u"f.jpeg"_s << QByteArray("jpeg");
    QTest::newRow("svg") << QStringList{u"-o"_s, u"f.svg"_s} << u"f.svg"_s << QByteArray("svg");
    QTest::newRow("folder") << QStringList{u"--format"_s, u"gif"_s, u"-o"_s, u"into/"_s}
                            << u"into/403120701.gif"_s << QByteArray("gif");
}

void TestRender::formats()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, picture);
    QFETCH(QByteArray, format);
    const QString d = m_dir.path();
    QCOMPARE(render(QStringList{u"--code"_s, u"403120701"_s} + arguments, d).status, 0);
    QImageReader reader(d + u'/' + picture);
    reader.setDecideFormatFromContent(true);
    QCOMPARE(reader.format(), format);
    const QImage image = reader.read();
    QCOMPARE(image.size(), QSize(249, 265));
    QCOMPARE(QColor(image.pixel(2, 262)), QColor(Qt::white));
}

void TestRender::random_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("one") << 1;
    QTest::newRow("several") << 25;
}

void TestRender::random()
{
    QFETCH(int, count);
    const QString folder = m_dir.filePath(u"random%1"_s.arg(count));
    const Run run =
        render({u"--random"_s, QString::number(count), u"-o"_s, folder + u'/'}, m_dir.path());
    QCOMPARE(run.status, 0);
    const QStringList codes = run.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(codes.size(), count);
    QCOMPARE(QSet<QString>(codes.cbegin(), codes.cend()).size(), count);
    for (const QString &code : codes) {
        QVERIFY2(QRegularExpression(u"^4\\d{8}$"_s).match(code).hasMatch(), qPrintable(code));
        QCOMPARE(decoded(folder + u'/' + code + u".png"_s).size(), QSize(249, 265));
    }
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), count);
}

void TestRender::refusedCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no output") << QStringList{u"--code"_s, u"403120701"_s};
    QTest::newRow("no input") << QStringList{u"-o"_s, u"x.png"_s};
    QTest::newRow("unknown extension")
        << QStringList{u"--code"_s, u"403120701"_s, u"-o"_s, u"x.tif"_s};
    QTest::newRow("size 0") << QStringList{u"--size"_s,    u"0"_s,  u"--code"_s,
                                           u"403120701"_s, u"-o"_s, u"x.png"_s};
    QTest::newRow("more random faces than the library makes")
        << QStringList{u"--random"_s, u"70000"_s, u"-o"_s, u"x/"_s};
}

void TestRender::refusedCommandLine()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    const Run run = render(arguments, dir.path());
    QCOMPARE(run.status, 2);
    QVERIFY(run.err.startsWith(u"kaogumi-render: "_s));
    QVERIFY(QDir(dir.path()).isEmpty());
}

void TestRender::hardConditions_data()
{
    // Each row is a run under conditions that people found the command
    // failing in: it must neither crash nor hang, write only whole faces,
    // and name what it could not draw.
    QTest::addColumn<QString>("library");   // bundled, gamma, big outline, garbage eyes
    QTest::addColumn<QStringList>("limit"); // prlimit's options, run as a user of its own
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QList<int>>("statuses");
    QTest::addColumn<QString>("err"); // every line of standard error matches it
    QTest::addColumn<int>("drawn");   // pictures written into out/ (or out.png)
    QTest::addColumn<int>("lines");   // of standard error, each one whole; -1: any number
    QStringList faces;
    for (int i = 0; i < kFaces; ++i)
        faces << u"face%1.kgm"_s.arg(i);
    const QStringList codes{u"--code"_s,    u"403120701"_s, u"--code"_s,
                            u"403120702"_s, u"--code"_s,    u"403120703"_s};
    // Qt's warnings from the drawing threads while this thread reports.
    QTest::newRow("drawing threads warn while faces are reported")
        << u"gamma"_s << QStringList() << QStringList{u"-j"_s, u"8"_s, u"-o"_s, u"out/"_s} + faces
        << QList<int>{0}
        << u"qt.gui.imageio: libpng warning: gAMA: CRC error|kaogumi-render: face\\d+\\.kgm: drawn "
           u"without the part 目\\\\e12\\.png, .*"_s
        // Each face reported, and its three warning parts decoded but when
        // the other thread was decoding the same file then: any number.
        << kFaces << -1;
    QTest::newRow("face files swapped for FIFOs")
        << u"swapped"_s << QStringList() << QStringList{u"-j"_s, u"2"_s, u"-o"_s, u"out/"_s} + faces
        << QList<int>{0, 1} << u"kaogumi-render: face\\d+\\.kgm: not a regular file"_s << -1 << -1;
    QTest::newRow("no thread can be made")
        << u"bundled"_s << QStringList{u"--nproc=1"_s}
        << QStringList{u"--size"_s, u"128"_s,     u"--format"_s, u"png"_s,
                       u"-o"_s,     u"out.png"_s, u"--code"_s,   u"403120701"_s}
        << QList<int>{1} << u"kaogumi-render: no thread to draw on can be started: .*"_s << 0 << 1;
    QTest::newRow("fewer threads than asked for")
        << u"bundled"_s << QStringList{u"--nproc=3"_s}
        << QStringList{u"-j"_s, u"4"_s, u"--size"_s, u"512"_s, u"-o"_s, u"out/"_s} + codes
        << QList<int>{0} << QString() << 3 << 0;
    QTest::newRow("no memory for a part")
        << u"big outline"_s << QStringList{u"--as=%1"_s.arg(240 << 20)}
        << QStringList{u"-o"_s, u"out/"_s, u"face0.kgm"_s, u"face1.kgm"_s} << QList<int>{1}
        << u"(QImage: out of memory, returning null image|kaogumi-render: face[01]\\.kgm: not "
           u"drawn: the part 顔\\\\f03\\.png \\(a 6000 × 5000 PNG picture that could not be "
           u"decoded\\) could not be read or decoded)"_s
        << 0 << -1;
    QTest::newRow("a part that is no picture")
        << u"garbage eyes"_s << QStringList() << QStringList{u"-o"_s, u"out/"_s, u"face0.kgm"_s}
        << QList<int>{0}
        << u"kaogumi-render: face0\\.kgm: drawn without the part 目\\\\e12\\.png, which is no "
           u"picture"_s
        << 1 << 1;
}

void TestRender::hardConditions()
{
    QFETCH(QString, library);
    QFETCH(QStringList, limit);
    QFETCH(QStringList, arguments);
    QFETCH(QList<int>, statuses);
    QFETCH(QString, err);
    QFETCH(int, drawn);
    QFETCH(int, lines);
#ifdef __SANITIZE_ADDRESS__
    if (limit.join(u' ').contains(u"--as"_s))
        QSKIP("the address sanitizer reserves more address space than the limit leaves");
#endif
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    SandboxAppDir app;
    const ColourFace face(app);
    QStringList prefix;
    if (!limit.isEmpty()) {
        if (::geteuid() != 0)
            QSKIP("a user of its own for the limit needs root");
        // That user writes into the folder.
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0777) == 0);
        QVERIFY(::chmod(QFile::encodeName(app.path()).constData(), 0755) == 0);
        prefix = QStringList{u"prlimit"_s} + limit +
                 QStringList{u"setpriv"_s, u"--reuid=%1"_s.arg(kLimitedUser),
                             u"--regid=%1"_s.arg(kLimitedUser), u"--clear-groups"_s};
    }
    if (library != u"bundled") {
        arguments << u"--parts"_s << app.path();
        if (library == u"gamma") {
            QVERIFY(app.writeFile(u"目/e12.png"_s, QByteArray(100, 'x')));
            for (const QString &part : {face.files.Outline, face.files.Hair, face.files.Mouth}) {
                const QString relative = QString(part).replace(u'\\', u'/');
                QVERIFY(app.writeFile(relative, withBadGamma(app.readFile(relative))));
                // Changed "later": each decode is then its own, with its warning.
                QFile file(app.filePath(relative));
                QVERIFY(file.open(QIODevice::ReadWrite));
                QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(1),
                                         QFileDevice::FileModificationTime));
            }
        } else if (library == u"big outline") {
            app.addPart(u"顔"_s, u"f03.png"_s, {6000, 5000}, Qt::red);
        } else if (library == u"garbage eyes") {
            QVERIFY(app.writeFile(u"目/e12.png"_s, QByteArray(100, 'x')));
        }
    }
    for (int i = 0; i < kFaces; ++i)
        QVERIFY(writeFile(dir.filePath(u"face%1.kgm"_s.arg(i)), face.fileBytes()));

    // Each face file changes places with a FIFO again and again while the
    // batch reads them.
    std::atomic<bool> stop{false};
    std::thread swapper;
    if (library == u"swapped") {
        for (int i = 0; i < kFaces; ++i) {
            QVERIFY(::mkfifo(QFile::encodeName(dir.filePath(u"fifo%1"_s.arg(i))).constData(),
                             0644) == 0);
        }
        swapper = std::thread([&] {
            while (!stop) {
                for (int i = 0; i < kFaces; ++i) {
                    ::renameat2(AT_FDCWD,
                                QFile::encodeName(dir.filePath(u"face%1.kgm"_s.arg(i))).constData(),
                                AT_FDCWD,
                                QFile::encodeName(dir.filePath(u"fifo%1"_s.arg(i))).constData(),
                                RENAME_EXCHANGE);
                }
            }
        });
    }
    const Run run = render(arguments, dir.path(), prefix, 30000);
    stop = true;
    if (swapper.joinable())
        swapper.join();

    QVERIFY2(statuses.contains(run.status),
             qPrintable(u"status %1: %2"_s.arg(run.status).arg(run.err)));
    const QRegularExpression line(u"^(%1)$"_s.arg(err));
    const QStringList said = run.err.split(u'\n', Qt::SkipEmptyParts);
    for (const QString &text : said)
        QVERIFY2(!err.isEmpty() && line.match(text).hasMatch(), qPrintable(text));
    if (lines >= 0)
        QCOMPARE(said.size(), lines);
    const QStringList pictures = QDir(dir.filePath(u"out"_s)).entryList(QDir::Files);
    if (drawn >= 0) {
        QCOMPARE(pictures.size() + int(QFileInfo::exists(dir.filePath(u"out.png"_s))), drawn);
    }
    // What was written is a picture.
    for (const QString &picture : pictures)
        QVERIFY2(!decoded(dir.filePath(u"out/"_s + picture)).isNull(), qPrintable(picture));
}

// The temporary files of batches in folder: regular files of the pattern.
QStringList temporaries(const QString &folder)
{
    static const QRegularExpression pattern(u"^\\.kaogumi-render-[A-Za-z0-9]{6}\\.tmp$"_s);
    return QDir(folder, {}, QDir::Name, QDir::Files | QDir::Hidden).entryList().filter(pattern);
}

void TestRender::batchCutShort_data()
{
    QTest::addColumn<bool>("kill"); // or the filesystem fills up
    QTest::newRow("killed half-way") << true;
    QTest::newRow("filesystem full half-way") << false;
}

void TestRender::batchCutShort()
{
    QFETCH(bool, kill);
    QTemporaryDir dir;
    const QString out = dir.filePath(u"out"_s);
    QVERIFY(QDir().mkpath(out));
    std::optional<FullFilesystem> full;
    if (!kill) {
        full.emplace(out, FullFilesystem::Files{}, FullFilesystem::State::NearlyFull);
        if (!full->error().isEmpty())
            QSKIP(qPrintable(full->error()));
    }
    // Names like the batch's that are not its temporary files stay.
    QVERIFY(QDir(out).mkdir(u".kaogumi-render-Folder.tmp"_s));
    QVERIFY(writeFile(out + u"/.kaogumi-render-other.tmp"_s, {}));

    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(kRender, {u"--random"_s, kill ? u"20000"_s : u"12"_s, u"--size"_s,
                            kill ? u"265"_s : u"64"_s, u"-o"_s, out + u'/'});
    if (kill) {
        // Killed once some pictures are in place (the first commit comes
        // after 2 seconds) and others wait for theirs.
        QTRY_VERIFY_WITH_TIMEOUT(
            !temporaries(out).isEmpty() && !QDir(out).entryList({u"*.png"_s}).isEmpty(), 30000);
        process.kill();
    }
    QVERIFY(process.waitForFinished(30000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    // Under its own name, every picture is whole.
    const QStringList pictures = QDir(out).entryList({u"*.png"_s});
    for (const QString &picture : pictures)
        QCOMPARE(decoded(out + u'/' + picture).size(), QSize(kill ? 249 : 60, kill ? 265 : 64));
    if (kill) {
        QVERIFY(!temporaries(out).isEmpty());
        // The next run into the folder clears what the killed one left.
        QCOMPARE(render({u"--code"_s, u"403120701"_s, u"--code"_s, u"403120702"_s, u"-o"_s, out},
                        dir.path())
                     .status,
                 0);
    } else {
        // Each face is either written or named with the reason.
        QCOMPARE(process.exitCode(), 1);
        const QStringList codes =
            QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(codes.size(), 12);
        for (const QString &code : codes) {
            const bool failed = err.contains(
                u"kaogumi-render: %1: cannot write %2/%1.png: No space left on device\n"_s.arg(
                    code, out));
            QVERIFY2(failed != pictures.contains(code + u".png"_s), qPrintable(code + err));
        }
        QVERIFY(!pictures.isEmpty() && pictures.size() < 12);
    }
    QCOMPARE(temporaries(out), QStringList());
    QVERIFY(QFileInfo(out + u"/.kaogumi-render-Folder.tmp"_s).isDir());
    QVERIFY(QFileInfo::exists(out + u"/.kaogumi-render-other.tmp"_s));
}

QTEST_GUILESS_MAIN(TestRender)
#include "tst_render.moc"
