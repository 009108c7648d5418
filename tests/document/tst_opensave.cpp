#include "ScriptedAnswers.h"
#include "TestUtils.h"
#include "document/Main.h"

#include <QDir>
#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kFaceFilter = u"顔データ|*.kgm|すべてのファイル |*.*|"_s;

// A main window over a sandbox with the colour face, its file on disk and
// the face on screen modified or not.
struct Fixture
{
    Fixture() : face(app), w(app.path())
    {
        app.writeFile(u"saved.kgm"_s, face.fileBytes());
        w.Form_Load({});
    }
    void composeUnsaved(const QString &fileName = {})
    {
        w.history().start(face.files, face.codes, fileName, false);
    }
    QString path(const QString &name) const { return app.filePath(name); }

    SandboxAppDir app;
    ColourFace face;
    ScriptedMessages messages;
    ScriptedFiles files;
    Main w;
};

} // namespace

class TestOpenSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openShowsTheFaceDialogAndReadsTheChosenFile()
    {
        Fixture f;
        f.files.choose(f.path(u"saved.kgm"_s));
        f.w.findChild<QAction *>(u"F_Open"_s)->trigger();
        QCOMPARE(f.files.asked.size(), 1);
        const FileDlg::Request &r = f.files.asked.first();
        QCOMPARE(r.kind, FileDlg::Kind::Open);
        QCOMPARE(r.title, u"顔を開く"_s);
        QCOMPARE(r.descriptions, (QStringList{u"顔データ"_s, u"すべてのファイル "_s}));
        QCOMPARE(r.selectedFilter, 0);
        QVERIFY(r.mustExist);
        QCOMPARE(r.directory, QDir::currentPath());
        QCOMPARE(f.w.document().FaceFileName, f.path(u"saved.kgm"_s));
        QCOMPARE(f.w.document().PartFiles, f.face.files);
        QCOMPARE(f.w.Label1->text(), u"403120701"_s);
        QVERIFY(!f.w.document().Modified);
        QVERIFY(f.messages.asked.isEmpty());
        // The same dialog object offers the opened file to Save As.
        f.files.cancel();
        f.w.F_SaveAS_Click();
        QCOMPARE(f.files.asked.at(1).kind, FileDlg::Kind::Save);
        QCOMPARE(f.files.asked.at(1).title, u"顔の保存"_s);
        QCOMPARE(f.files.asked.at(1).fileName, u"saved.kgm"_s);
        QCOMPARE(f.files.asked.at(1).directory, f.app.path());
        QCOMPARE(f.w.FileDialog->Filter(), kFaceFilter);
    }

    void cancelledOpenChangesNothing()
    {
        Fixture f;
        f.composeUnsaved(f.path(u"mine.kgm"_s));
        f.messages.answers = {MsgBox::Answer::No};
        f.files.cancel();
        f.w.F_Open_Click();
        QCOMPARE(f.files.asked.size(), 1);
        QCOMPARE(f.w.document().PartFiles, f.face.files);
        QCOMPARE(f.w.document().FaceFileName, f.path(u"mine.kgm"_s));
        QVERIFY(f.w.document().Modified);
        QVERIFY(!QFile::exists(f.path(u"mine.kgm"_s)));
    }

    void openAsksBeforeDroppingAModifiedFace_data()
    {
        QTest::addColumn<MsgBox::Answer>("answer");
        QTest::addColumn<bool>("named"); // the face has a file of its own
        QTest::addColumn<bool>("opens");
        QTest::addColumn<bool>("saved");
        QTest::newRow("yes saves, then opens") << MsgBox::Answer::Yes << true << true << true;
        QTest::newRow("no opens without saving") << MsgBox::Answer::No << true << true << false;
        QTest::newRow("cancel stays") << MsgBox::Answer::Cancel << true << false << false;
        // Yes with no name asks for one; cancelling that cancels the Open.
        QTest::newRow("yes, save cancelled") << MsgBox::Answer::Yes << false << false << false;
    }
    void openAsksBeforeDroppingAModifiedFace()
    {
        QFETCH(MsgBox::Answer, answer);
        QFETCH(bool, named);
        QFETCH(bool, opens);
        QFETCH(bool, saved);
        Fixture f;
        QVERIFY(f.app.writeFile(u"other.kgm"_s,
                                "\"\",\"\",\"\",\"\",\"\"\r\n\"9\",\"9\",\"9\",\"9\",\"\"\r\n"));
        f.composeUnsaved(named ? f.path(u"mine.kgm"_s) : QString());
        f.messages.answers = {answer};
        if (!named)
            f.files.cancel(); // the Save As that Yes leads to
        f.files.choose(f.path(u"other.kgm"_s));
        f.w.F_Open_Click();

        QCOMPARE(f.messages.asked.size(), 1);
        const MsgBox::Request &r = f.messages.asked.first();
        QCOMPARE(r.buttons, MsgBox::Buttons::YesNoCancel);
        QCOMPARE(r.icon, MsgBox::Icon::Question);
        QCOMPARE(r.defaultAnswer, MsgBox::Answer::Yes);
        QCOMPARE(QFile::exists(f.path(u"mine.kgm"_s)), saved);
        if (saved)
            QCOMPARE(f.app.readFile(u"mine.kgm"_s), f.face.fileBytes());
        if (opens) {
            QCOMPARE(f.w.document().FaceFileName, f.path(u"other.kgm"_s));
            QCOMPARE(f.w.Label1->text(), u"49999"_s);
            QVERIFY(!f.w.document().Modified);
        } else {
            QCOMPARE(f.w.document().PartFiles, f.face.files);
            QVERIFY(f.w.document().Modified);
        }
    }

    void aRefusedFileNeverBecomesTheFacesFile_data()
    {
        QTest::addColumn<bool>("named");
        QTest::newRow("face with a file") << true;
        QTest::newRow("face without a file") << false;
    }
    void aRefusedFileNeverBecomesTheFacesFile()
    {
        QFETCH(bool, named);
        Fixture f;
        const QByteArray fourFields = "\"a\",\"b\",\"c\",\"d\"\r\n\"1\",\"2\",\"3\",\"4\"\r\n";
        QVERIFY(f.app.writeFile(u"old.kgm"_s, fourFields));
        f.composeUnsaved(named ? f.path(u"mine.kgm"_s) : QString());
        f.messages.answers = {MsgBox::Answer::No, MsgBox::Answer::Ok};
        f.files.choose(f.path(u"old.kgm"_s));
        f.w.F_Open_Click();
        QCOMPARE(f.messages.asked.size(), 2);
        QCOMPARE(f.messages.asked.at(1).prompt,
                 u"フォーマットが不正です。\rこのバージョンでは読み込むことはできません。"_s);
        QCOMPARE(f.w.document().PartFiles, f.face.files);
        QVERIFY(f.w.document().Modified);
        QCOMPARE(f.w.document().FaceFileName, named ? f.path(u"mine.kgm"_s) : QString());

        // Save writes to the face's own file, or asks for one; the refused
        // file is left as it was.
        f.files.cancel();
        f.w.F_Save_Click();
        QCOMPARE(f.files.asked.size(), named ? 1 : 2);
        QCOMPARE(f.app.readFile(u"old.kgm"_s), fourFields);
        QCOMPARE(QFile::exists(f.path(u"mine.kgm"_s)), named);
    }

    void saveWithoutANameAsksForOne()
    {
        Fixture f;
        f.composeUnsaved();
        f.files.cancel();
        f.w.findChild<QAction *>(u"F_Save"_s)->trigger();
        QCOMPARE(f.files.asked.size(), 1);
        QCOMPARE(f.files.asked.first().kind, FileDlg::Kind::Save);
        QCOMPARE(f.files.asked.first().title, u"顔の保存"_s);
        QCOMPARE(f.files.asked.first().defaultSuffix, u"kgm"_s);
        QVERIFY(f.w.document().Modified);
        QVERIFY(f.w.document().FaceFileName.isEmpty());
        QCOMPARE(QDir(f.app.path()).entryList(QDir::Files), QStringList{u"saved.kgm"_s});

        // A name typed without an extension gets the face filter's .kgm.
        f.files.choose(f.path(u"new face"_s));
        f.w.F_Save_Click();
        QCOMPARE(f.w.document().FaceFileName, f.path(u"new face.kgm"_s));
        QCOMPARE(f.app.readFile(u"new face.kgm"_s), f.face.fileBytes());
        QVERIFY(!f.w.document().Modified);

        // Later saves go to that name without a dialog.
        f.w.takePart(Category::Hair, f.face.files.Hair, u"08"_s);
        f.w.F_Save_Click();
        QCOMPARE(f.files.asked.size(), 2);
        QVERIFY(f.app.readFile(u"new face.kgm"_s).contains("\"03\",\"08\""));
    }

    void saveAsWritesUnderTheNewName()
    {
        Fixture f;
        f.composeUnsaved(f.path(u"saved.kgm"_s));
        f.files.choose(f.path(u"copy.kgm"_s));
        f.w.findChild<QAction *>(u"F_SaveAS"_s)->trigger();
        QCOMPARE(f.w.document().FaceFileName, f.path(u"copy.kgm"_s));
        QCOMPARE(f.app.readFile(u"copy.kgm"_s), f.face.fileBytes());
        QVERIFY(!f.w.document().Modified);
        QCOMPARE(f.w.FileDialog->Filename(), f.path(u"copy.kgm"_s));
    }
};

QTEST_MAIN(TestOpenSave)
#include "tst_opensave.moc"
