#include "document/Composite.h"
#include "document/FaceFile.h"

#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString kRender = QStringLiteral(KAOGUMI_RENDER);

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run render(const QStringList &arguments, const QString &folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(kRender, arguments);
    if (!process.waitForFinished(60000))
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
    FaceParts files{u"顔\\f%1.png"_s.arg(two(outline)), u"口\\m%1.png"_s.arg(two(mouth)),
                    u"髪\\h%1.png"_s.arg(two(hair)), u"目\\e%1.png"_s.arg(two(eyes))};
    FaceParts codes{two(outline), two(mouth), two(hair), two(eyes)};
    return FaceFile::write(files, codes).bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

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
    QTest::newRow("thumbnail") << 128 << QSize(120, 128);
    QTest::newRow("one pixel") << 1 << QSize(1, 1);
    QTest::newRow("double") << 530 << QSize(498, 530);
}

void TestRender::size()
{
    QFETCH(int, longer);
    QFETCH(QSize, expected);
    const QString d = m_dir.path();
    QCOMPARE(render({u"--size"_s, QString::number(longer), u"--code"_s, u"403120701"_s, u"-o"_s,
                     u"sized.png"_s},
                    d)
                 .status,
             0);
    const QImage image = decoded(d + u"/sized.png"_s);
    QCOMPARE(image.size(), expected);
    // Painted, not left blank: the hair's colour reaches the top middle.
    if (longer > 100)
        QVERIFY(image.pixel(expected.width() / 2, longer / 20) != qRgb(255, 255, 255));
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

QTEST_GUILESS_MAIN(TestRender)
#include "tst_render.moc"
