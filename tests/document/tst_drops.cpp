#include "ScriptedAnswers.h"
#include "TestUtils.h"
#include "document/Composite.h"
#include "document/FaceCode.h"
#include "document/FaceFile.h"
#include "document/Main.h"
#include "output/PictureEncoders.h"
#include "output/PictureFormat.h"
#include "selection/ItemSelect.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList kCategories{u"顔"_s, u"目"_s, u"髪"_s, u"口"_s};
const QStringList kPrefixes{u"f"_s, u"e"_s, u"h"_s, u"m"_s};

// The face whose parts are at the given positions (outline, eyes, hair, mouth).
struct Face
{
    FaceParts files, codes;
};
Face faceAt(const QList<int> &at)
{
    Face face;
    for (int i = 0; i < 4; ++i) {
        const QString code = QString::number(at[i]).rightJustified(2, u'0');
        const Category category = *Categories::fromWord(kCategories[i]);
        Categories::field(face.files, category) =
            kCategories[i] + u'\\' + kPrefixes[i] + code + u".png"_s;
        Categories::field(face.codes, category) = code;
    }
    return face;
}

// A main window over six parts a category, showing the face 1, 1, 1, 1 read
// from start.kgm, with its four pickers open and showing it.
struct Fixture
{
    Fixture() : w(app.path())
    {
        for (int c = 0; c < 4; ++c) {
            for (int i = 0; i < 6; ++i)
                app.addPart(kCategories[c], kPrefixes[c] + u"0"_s + QString::number(i) + u".png"_s,
                            {40, 40}, QColor::fromHsv(c * 90 + i * 12, 255, 200));
        }
        app.writeFile(u"start.kgm"_s, faceFile(start));
        w.Form_Load(app.filePath(u"start.kgm"_s));
    }
    static QByteArray faceFile(const Face &face)
    {
        return FaceFile::write(face.files, face.codes).bytes;
    }
    QImage composite(const Face &face) const
    {
        return Composite::picture(Composite::loadLayers(app.path(), face.files))
            .convertToFormat(QImage::Format_RGB32);
    }
    QString exported(const QString &name, const PictureEncoders::Memo &memo) const
    {
        const QString path = app.filePath(name);
        const AtomicFile::Result written =
            PictureFormat::write(*PictureFormat::ofFile(name),
                                 Composite::loadLayers(app.path(), dropped.files), path, memo);
        return written.ok() ? path : QString();
    }
    // The printed card of the dropped face at 300 dpi; as a photo, turned a
    // little and shrunk on a grey table.
    QString card(const QString &name, bool photo) const
    {
        QImage card = cardPicture(app.path(), FaceCode::compose(dropped.codes), dropped.files);
        if (photo) {
            QImage table(900, 700, QImage::Format_RGB32);
            table.fill(QColor(110, 110, 100));
            QPainter painter(&table);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.translate(450, 350);
            painter.rotate(4);
            painter.scale(0.9, 0.9);
            painter.drawImage(-card.width() / 2, -card.height() / 2, card);
            painter.end();
            card = table;
        }
        const QString path = app.filePath(name);
        return card.save(path) ? path : QString();
    }
    // A picture of a Code 128 barcode of code alone, made by the barcode
    // library's own writer, at the given size.
    QString barcode(const QString &name, const std::string &code, QSize size) const
    {
        const ZXing::BitMatrix bars = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::Code128)
                                          .setMargin(10)
                                          .encode(code, size.width(), size.height());
        QImage picture(bars.width(), bars.height(), QImage::Format_Grayscale8);
        for (int y = 0; y < bars.height(); ++y) {
            for (int x = 0; x < bars.width(); ++x)
                picture.scanLine(y)[x] = bars.get(x, y) ? 0 : 255;
        }
        const QString path = app.filePath(name);
        return picture.save(path) ? path : QString();
    }

    SandboxAppDir app;
    Face start = faceAt({1, 1, 1, 1});
    Face dropped = faceAt({2, 3, 4, 5});
    ScriptedMessages messages;
    Main w;
};

// Drags urls over the window and drops them, as a file manager does: copy
// or move offered, move proposed.
void dropOn(Main &w, const QList<QUrl> &urls)
{
    QMimeData data;
    data.setUrls(urls);
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(QPoint(100, 100), offered, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(&w, &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(enter.dropAction(), Qt::CopyAction);
    QDropEvent drop(QPointF(100, 100), offered, &data, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(Qt::MoveAction);
    QApplication::sendEvent(&w, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(drop.dropAction(), Qt::CopyAction);
    // What was dropped opens once the drag has ended.
    QCoreApplication::processEvents();
}

QList<int> pickerPositions(const Main &w)
{
    QList<int> positions;
    for (const QString &category : kCategories) {
        for (ItemSelect *p : w.openPickers()) {
            if (p->TypeName() == category)
                positions.append(p->position());
        }
    }
    return positions;
}

} // namespace

class TestDrops : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dropOpensWhatItsContentsAre_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("modifiedBefore");
        QTest::addColumn<QList<int>>("answers"); // to "save first?"
        QTest::addColumn<bool>("replaced");      // the face is the dropped one
        QTest::addColumn<QString>("fileName");   // the face's file afterwards
        QTest::addColumn<bool>("modifiedAfter");
        QTest::addColumn<QList<int>>("positions"); // of the pickers afterwards
        QTest::addColumn<QString>("refusal");      // %1: the file's name

        const QList<int> none;
        // The pickers show the face: the first one, or the one dropped.
        const QList<int> first{1, 1, 1, 1};
        const QList<int> dropped{2, 3, 4, 5};
        const int cancel = int(MsgBox::Answer::Cancel);
        const int yes = int(MsgBox::Answer::Yes);
        const QString notAFace = u"「%1」からは顔を開けません。\r開けるのは顔ファイル、"
                                 u"かおぐみで書き出した画像、印刷したカードの写真です。"_s;

        QTest::newRow("face file") << u"dropped.kgm"_s << false << none << true << u"dropped.kgm"_s
                                   << false << dropped << QString();
        QTest::newRow("face file over a modified face, Cancel")
            << u"dropped.kgm"_s << true << QList<int>{cancel} << false << u"start.kgm"_s << true
            << first << QString();
        QTest::newRow("face file over a modified face, Yes")
            << u"dropped.kgm"_s << true << QList<int>{yes} << true << u"dropped.kgm"_s << false
            << dropped << QString();
        QTest::newRow("face file named like a picture")
            << u"face.png"_s << false << none << true << u"face.png"_s << false << dropped
            << QString();
        QTest::newRow("exported PNG") << u"export.png"_s << false << none << true << QString()
                                      << true << dropped << QString();
        QTest::newRow("exported JPEG over a modified face, Cancel")
            << u"export.jpg"_s << true << QList<int>{cancel} << false << u"start.kgm"_s << true
            << first << QString();
        QTest::newRow("exported JPEG") << u"export.jpg"_s << false << none << true << QString()
                                       << true << dropped << QString();
        // Its memo is read; the SVG is never drawn.
        QTest::newRow("exported SVG") << u"export.svg"_s << false << none << true << QString()
                                      << true << dropped << QString();
        QTest::newRow("exported picture whose face file the reader refuses")
            << u"badmemo.png"_s << false << none << false << u"start.kgm"_s << false << first
            << u"フォーマットが不正です。\rこのバージョンでは読み込むことはできません。"_s;
        QTest::newRow("scan of a card over a modified face, Yes")
            << u"card.png"_s << true << QList<int>{yes} << true << u"start.kgm"_s << true
            << QList<int>{2, 3, 4, 5} << QString();
        QTest::newRow("scan of a card over a modified face, Cancel")
            << u"card.png"_s << true << QList<int>{cancel} << false << u"start.kgm"_s << true
            << first << QString();
        // Large enough that the barcode reader, left to itself, ends the
        // program on an assertion of its own.
        QTest::newRow("barcode of 2400 × 600 pixels")
            << u"bars.png"_s << false << none << true << u"start.kgm"_s << true
            << QList<int>{2, 3, 4, 5} << QString();
        QTest::newRow("barcode of nine digits that are no face code")
            << u"digits.png"_s << false << none << false << u"start.kgm"_s << false << first
            << notAFace;
        // Drawn at the canvas it names, it took minutes.
        QTest::newRow("SVG of reused squares on a large canvas")
            << u"squares.svg"_s << false << none << false << u"start.kgm"_s << false << first
            << notAFace;
        QTest::newRow("photo of a card")
            << u"photo.jpg"_s << false << none << true << u"start.kgm"_s << true
            << QList<int>{2, 3, 4, 5} << QString();
        QTest::newRow("text file") << u"notes.kgm"_s << false << none << false << u"start.kgm"_s
                                   << false << first << notAFace;
        QTest::newRow("picture without a face") << u"plain.png"_s << true << none << false
                                                << u"start.kgm"_s << true << first << notAFace;
        QTest::newRow("folder") << u"顔"_s << false << none << false << u"start.kgm"_s << false
                                << first << u"「%1」を読み込めませんでした。\rフォルダです。"_s;
        QTest::newRow("remote file")
            << u"https://example.org/dropped.kgm"_s << false << none << false << u"start.kgm"_s
            << false << first
            << u"ドロップされたものは、このコンピューターのファイルではありません。\r"
               u"顔ファイルか顔の画像をドロップしてください。"_s;
        QTest::newRow("two face files")
            << u"dropped.kgm face.png"_s << false << none << false << u"start.kgm"_s << false
            << first << u"一度に開ける顔は一つです。\rファイルを一つだけドロップしてください。"_s;
    }
    void dropOpensWhatItsContentsAre()
    {
        QFETCH(QString, kind);
        QFETCH(bool, modifiedBefore);
        QFETCH(QList<int>, answers);
        QFETCH(bool, replaced);
        QFETCH(QString, fileName);
        QFETCH(QString, refusal);

        Fixture f;
        QCOMPARE(f.w.Label1->text(), u"401010101"_s);
        const QByteArray droppedFile = Fixture::faceFile(f.dropped);
        const PictureEncoders::Memo memo{droppedFile, FaceCode::compose(f.dropped.codes)};
        QList<QUrl> urls;
        for (const QString &name : kind.split(u' ')) {
            if (name.contains(u':')) {
                urls.append(QUrl(name));
                continue;
            }
            QString path = f.app.filePath(name);
            if (name.endsWith(u".kgm"_s) && name != u"notes.kgm"_s)
                QVERIFY(f.app.writeFile(name, droppedFile));
            else if (name == u"notes.kgm"_s)
                QVERIFY(f.app.writeFile(name, "a note, not a face\r\n"));
            else if (name == u"face.png"_s)
                QVERIFY(f.app.writeFile(name, droppedFile));
            else if (name.startsWith(u"export"_s))
                path = f.exported(name, memo);
            else if (name == u"badmemo.png"_s)
                path = f.exported(name, {"\"顔\\f02.png\",\"\x01\"\r\n", memo.faceCode});
            else if (name == u"card.png"_s || name == u"photo.jpg"_s)
                path = f.card(name, name == u"photo.jpg"_s);
            else if (name == u"plain.png"_s)
                QVERIFY(f.composite(f.dropped).save(path));
            else if (name == u"bars.png"_s)
                path =
                    f.barcode(name, FaceCode::compose(f.dropped.codes).toStdString(), {2400, 600});
            else if (name == u"digits.png"_s)
                path = f.barcode(name, "123456789", {400, 100});
            else if (name == u"squares.svg"_s)
                QVERIFY(f.app.writeFile(name, reusedSquaresSvg(2, 5790)));
            QVERIFY(!path.isEmpty());
            urls.append(QUrl::fromLocalFile(path));
        }
        if (modifiedBefore) {
            // The face on screen is in no file: only a save brings it back.
            f.w.history().start(f.start.files, f.start.codes, f.w.document().FaceFileName, false);
            QVERIFY(QFile::remove(f.app.filePath(u"start.kgm"_s)));
        }
        for (int answer : answers)
            f.messages.answers.append(MsgBox::Answer(answer));

        dropOn(f.w, urls);

        const Face &face = replaced ? f.dropped : f.start;
        QCOMPARE(f.w.document().PartFiles, face.files);
        QCOMPARE(f.w.document().PartCodes, face.codes);
        QCOMPARE(f.w.Label1->text(), FaceCode::compose(face.codes));
        QCOMPARE(f.w.document().FaceFileName,
                 fileName.isEmpty() ? QString() : f.app.filePath(fileName));
        QTEST(f.w.document().Modified, "modifiedAfter");
        QTEST(pickerPositions(f.w), "positions");

        // "Save first?" is asked once for each answer given, and a refusal
        // is the one other message.
        QCOMPARE(f.messages.asked.size(), answers.size() + (refusal.isEmpty() ? 0 : 1));
        for (int i = 0; i < answers.size(); ++i)
            QCOMPARE(f.messages.asked[i].prompt, u"ほかの顔を開きます。\r今の顔を保存しますか？"_s);
        if (!refusal.isEmpty()) {
            const MsgBox::Request &told = f.messages.asked.last();
            if (refusal.contains(u"%1"_s))
                refusal = refusal.arg(QDir::toNativeSeparators(urls[0].toLocalFile()));
            QCOMPARE(told.prompt, refusal);
            QCOMPARE(told.icon, MsgBox::Icon::Critical);
        }
        // Yes saved the face on screen before the dropped one replaced it.
        if (answers == QList<int>{int(MsgBox::Answer::Yes)})
            QCOMPARE(f.app.readFile(u"start.kgm"_s), Fixture::faceFile(f.start));
    }
};

QTEST_MAIN(TestDrops)
#include "tst_drops.moc"
