#include "ScriptedAnswers.h"
#include "TestUtils.h"
#include "document/FaceFile.h"
#include "document/Main.h"
#include "document/PictureBox.h"
#include "output/PictureEncoders.h"
#include "output/PictureExport.h"

#include <QImageReader>
#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The main window over the colour face, with its face file saved, and the
// user's answers to the export's dialogs.
struct Fixture
{
    Fixture() : face(app), w(app.path())
    {
        app.writeFile(u"face.kgm"_s, face.fileBytes());
        w.Form_Load(app.filePath(u"face.kgm"_s));
    }
    // The user chooses name with the filter at position filter selected.
    void choose(const QString &name, int filter = 0)
    {
        files.answers.append(FileDlg::Answer{true, app.filePath(name), filter});
    }

    SandboxAppDir app;
    ColourFace face;
    ScriptedMessages messages;
    ScriptedFiles files;
    Main w;
};

} // namespace

class TestPictureExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The ending of the chosen name decides the format, whatever filter is
    // selected; a name that names no format we write is refused.
    void writesTheFormatTheNameSays_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("filter"); // 0 bitmap, 1 PNG, 2 JPEG, 4 all files
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("format"); // empty: nothing written
        QTest::newRow(".bmp") << u"a.bmp"_s << 0 << u"a.bmp"_s << QByteArray("bmp");
        QTest::newRow(".BMP") << u"a.BMP"_s << 0 << u"a.BMP"_s << QByteArray("bmp");
        QTest::newRow(".Bmp") << u"a.Bmp"_s << 4 << u"a.Bmp"_s << QByteArray("bmp");
        QTest::newRow(".gif is a real GIF") << u"a.gif"_s << 0 << u"a.gif"_s << QByteArray("gif");
        QTest::newRow(".png under the JPEG filter")
            << u"a.png"_s << 2 << u"a.png"_s << QByteArray("png");
        QTest::newRow("no extension, PNG filter") << u"a"_s << 1 << u"a.png"_s << QByteArray("png");
        QTest::newRow("no extension, all files") << u"a"_s << 4 << u"a"_s << QByteArray();
        QTest::newRow(".svg, drawn by an SVG reader as the surface shows")
            << u"a.svg"_s << 4 << u"a.svg"_s << QByteArray("svg");
        QTest::newRow(".svgz") << u"a.svgz"_s << 4 << u"a.svgz"_s << QByteArray();
        QTest::newRow(".tif") << u"a.tif"_s << 4 << u"a.tif"_s << QByteArray();
    }
    void writesTheFormatTheNameSays()
    {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QFETCH(QString, written);
        QFETCH(QByteArray, format);
        Fixture f;
        // Eyes that are a drawing: shapes in the SVG, drawn in the others.
        FaceParts files = f.w.document().PartFiles;
        files.Eyes = f.app.addDrawing(u"目"_s, u"e.svg"_s, {40, 40}, Qt::cyan);
        f.w.history().start(files, f.w.document().PartCodes, f.w.document().FaceFileName, true);
        f.choose(typed, filter);
        f.w.Label1->clear();
        f.w.findChild<QAction *>(u"F_SavePic"_s)->trigger();

        const FileDlg::Request &asked = f.files.asked.first();
        QCOMPARE(asked.title, u"顔を画像として保存"_s);
        QCOMPARE(asked.descriptions, (QStringList{u"ビットマップ"_s, u"PNG"_s, u"JPEG"_s, u"SVG"_s,
                                                  u"すべてのファイル "_s}));
        QVERIFY(asked.fileName.isEmpty());
        // Redrawn before writing, and the face is left as it was.
        QCOMPARE(f.w.Label1->text(), u"403120701"_s);
        QVERIFY(!f.w.document().Modified);
        QCOMPARE(f.w.document().FaceFileName, f.app.filePath(u"face.kgm"_s));

        QImageReader reader(f.app.filePath(written));
        reader.setDecideFormatFromContent(true);
        const QImage picture = reader.read();
        if (format.isEmpty()) {
            QVERIFY(picture.isNull());
            QCOMPARE(f.messages.asked.size(), 1);
            QVERIFY(f.messages.asked.first().prompt.contains(u".bmp .png .jpg .gif .svg"_s));
            return;
        }
        QVERIFY(f.messages.asked.isEmpty());
        // Told by the content, not by the name.
        QCOMPARE(QImageReader::imageFormat(f.app.filePath(written)), format);
        const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
        if (format == "svg")
            QVERIFY(meanDifference(pixels, f.w.Picture1->image()) < 0.5);
        else
            QCOMPARE(pixels, f.w.Picture1->image());
        // The next Save As offers the picture's name: one dialog object.
        f.w.F_SaveAS_Click();
        QCOMPARE(f.files.asked.last().fileName, QFileInfo(f.app.filePath(written)).fileName());
    }

    // The JPEG quality is read as the number typed, 0 the lowest; anything
    // but a whole number from 0 to 255 is refused and asked again, and only
    // a cancel ends the export without a word.
    void asksTheJpegQuality_data()
    {
        QTest::addColumn<QStringList>("answers"); // then a cancel
        QTest::addColumn<int>("quality");         // -1: no file
        QTest::addColumn<int>("refusals");
        QTest::newRow("50") << QStringList{u"50"_s} << 50 << 0;
        QTest::newRow("blanks around") << QStringList{u" 75 "_s} << 75 << 0;
        QTest::newRow("a half goes down to even") << QStringList{u"50.5"_s} << 50 << 0;
        QTest::newRow("a half goes up to even") << QStringList{u"51.5"_s} << 52 << 0;
        QTest::newRow("above 100") << QStringList{u"200"_s} << 200 << 0;
        QTest::newRow("cancel") << QStringList{} << -1 << 0;
        QTest::newRow("0, the lowest") << QStringList{u"0"_s} << 0 << 0;
        QTest::newRow("letters, then a number") << QStringList{u"abc"_s, u"60"_s} << 60 << 1;
        QTest::newRow("256") << QStringList{u"256"_s} << -1 << 1;
        QTest::newRow("-5") << QStringList{u"-5"_s} << -1 << 1;
        QTest::newRow("40000") << QStringList{u"40000"_s} << -1 << 1;
    }
    void asksTheJpegQuality()
    {
        QFETCH(QStringList, answers);
        QFETCH(int, quality);
        QFETCH(int, refusals);
        Fixture f;
        f.choose(u"a.jpg"_s);
        ScriptedInput input(answers);
        f.w.F_SavePic_Click();
        QCOMPARE(input.asked.size(), quality < 0 ? int(answers.size()) + 1 : int(answers.size()));
        QCOMPARE(input.asked.first().prompt, u"圧縮率を入力してください。\r0～100(%)"_s);
        QCOMPARE(input.asked.first().title, u"JPEG形式で保存"_s);
        QCOMPARE(input.asked.first().defaultText, u"50"_s);
        QCOMPARE(f.messages.asked.size(), refusals);
        const QString path = f.app.filePath(u"a.jpg"_s);
        QCOMPARE(QFile::exists(path), quality >= 0);
        if (quality < 0)
            return;
        // The same bytes as the encoder gives at that quality.
        const QImage &surface = f.w.Picture1->image();
        const QString expected = f.app.filePath(u"expected.jpg"_s);
        const FaceFile::WriteResult memo = FaceFile::write(f.face.files, f.face.codes);
        QVERIFY(PictureEncoders::DCSavetoJPEG(
                    reinterpret_cast<const quint32 *>(surface.constBits()), surface.width(),
                    surface.height(), expected, quint8(quality), 0, {memo.bytes, u"403120701"_s})
                    .ok());
        QCOMPARE(f.app.readFile(u"a.jpg"_s), f.app.readFile(u"expected.jpg"_s));
        // And a picture of the face: close to the surface on average, the
        // closer the higher the quality.
        const double difference =
            meanDifference(QImage(path).convertToFormat(QImage::Format_RGB32), surface);
        QVERIFY2(difference < (quality < 25 ? 16 : 4), qPrintable(QString::number(difference)));
    }

    void cancelWritesAndRedrawsNothing()
    {
        Fixture f;
        f.files.cancel();
        f.w.Label1->clear();
        f.w.F_SavePic_Click();
        QVERIFY(f.w.Label1->text().isEmpty());
        QVERIFY(f.messages.asked.isEmpty());
        QCOMPARE(QDir(f.app.path()).entryList(QDir::Files), QStringList{u"face.kgm"_s});
    }

    // A picture that cannot be written leaves what stood there and says why.
    void aFailedExportLeavesTheOldPicture_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing folder") << u"none/a.png"_s;
        QTest::newRow("a folder in the file's place") << u"髪.png"_s;
        // Half a surrogate pair: no face file holds it, so no memo either.
        QTest::newRow("a face no face file can hold") << u"a.png"_s;
    }
    void aFailedExportLeavesTheOldPicture()
    {
        QFETCH(QString, name);
        Fixture f;
        QVERIFY(QDir(f.app.path()).mkdir(u"髪.png"_s));
        if (name == u"a.png"_s)
            f.w.takePart(Category::Eyes, f.w.document().PartFiles.Eyes, QString(QChar(0xd800)));
        f.choose(name);
        f.w.F_SavePic_Click();
        QCOMPARE(f.messages.asked.size(), 1);
        QVERIFY(f.messages.asked.first().prompt.contains(
            QDir::toNativeSeparators(f.app.filePath(name))));
        QCOMPARE(f.messages.asked.first().icon, MsgBox::Icon::Critical);
        QVERIFY(QFileInfo(f.app.filePath(u"髪.png"_s)).isDir());
        QVERIFY(!QFile::exists(f.app.filePath(u"none"_s)));
        QVERIFY(!QFile::exists(f.app.filePath(u"a.png"_s)));
    }

    // The picture remembers its face: the face file that Save writes comes
    // back from it whole.
    void thePictureRemembersItsFace_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("PNG") << u"a.png"_s;
        QTest::newRow("SVG") << u"a.svg"_s;
    }
    void thePictureRemembersItsFace()
    {
        QFETCH(QString, name);
        Fixture f;
        f.choose(name);
        f.w.F_SavePic_Click();
        const std::optional<PictureEncoders::Memo> memo =
            PictureEncoders::readMemo(f.app.filePath(name));
        QVERIFY(memo);
        QCOMPARE(memo->faceFile, f.face.fileBytes());
        QCOMPARE(memo->faceCode, u"403120701"_s);
        const FaceFile::ReadResult face = FaceFile::read(memo->faceFile);
        QCOMPARE(face.PartFiles, f.face.files);
        QCOMPARE(face.PartCodes, f.face.codes);
    }
};

QTEST_MAIN(TestPictureExport)
#include "tst_pictureexport.moc"
