#include "ModalDialogs.h"
#include "ScriptedAnswers.h"
#include "TestUtils.h"
#include "document/Main.h"
#include "document/PictureBox.h"
#include "platform/MoVersion.h"
#include "platform/MsgBox.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QBuffer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString kFormatMessage =
    u"フォーマットが不正です。\rこのバージョンでは読み込むことはできません。"_s;
const QString kExitQuestion = u"かおぐみを終了します。\r顔を保存しますか？"_s;

QString pixel(const Main &w, int x, int y)
{
    return rgbName(w.Picture1->image(), x, y);
}

bool surfaceIsWhite(const Main &w)
{
    QImage white(w.Picture1->image().size(), QImage::Format_RGB32);
    white.fill(Qt::white);
    return w.Picture1->image() == white;
}

} // namespace

class TestMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuHasEveryCommandWithItsCaptionAndShortcut_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("shortcuts");
        QTest::newRow("file") << u"ファイル(&F&ﾊ)"_s
                              << QStringList{u"F_New"_s,    u"F_Open"_s, u"F_Save"_s,
                                             u"F_SaveAS"_s, u"F_Sen1"_s, u"F_SavePic"_s,
                                             u"F_Print"_s,  u"F_SEN2"_s, u"F_Close"_s}
                              << QStringList{u"新規(&N)"_s,
                                             u"開く(&O)"_s,
                                             u"保存(&S)"_s,
                                             u"名前を付けて保存(&A)"_s,
                                             {},
                                             u"画像として保存(&B)"_s,
                                             u"印刷(&P)"_s,
                                             {},
                                             u"終了(&C)"_s}
                              << QStringList{u"Ctrl+N"_s, u"Ctrl+O"_s, u"Ctrl+S"_s, {}, {},
                                             {},          u"Ctrl+P"_s, {},          {}};
        QTest::newRow("edit") << u"編集(&E&ｲ)"_s
                              << QStringList{u"E_llWindow"_s, u"E_Sen1"_s, u"E_VercodeLoading"_s}
                              << QStringList{u"すべてのウィンドウを表示(&A)"_s,
                                             {},
                                             u"バーコード(&V)"_s}
                              << QStringList{{}, {}, {}};
        QTest::newRow("help") << u"ヘルプ(&H&ｸ)"_s
                              << QStringList{u"H_ViewHelp"_s, u"H_Sen1"_s, u"H_Version"_s}
                              << QStringList{u"ヘルプを見る(&T)"_s, {}, u"バージョン情報(&A)"_s}
                              << QStringList{u"F1"_s, {}, {}};
    }
    void menuHasEveryCommandWithItsCaptionAndShortcut()
    {
        QFETCH(QString, menu);
        QFETCH(QStringList, names);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, shortcuts);
        Main w;
        const QList<QAction *> top = w.menuBar()->actions();
        QCOMPARE(top.size(), 3);
        QAction *menuAction = nullptr;
        for (QAction *a : top) {
            if (a->text() == menu)
                menuAction = a;
        }
        QVERIFY2(menuAction, qPrintable(menu));
        // Later commands follow these, behind a separator.
        const QList<QAction *> items = menuAction->menu()->actions();
        QVERIFY(items.size() >= names.size());
        QVERIFY(items.size() == names.size() || items[names.size()]->isSeparator());
        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(items[i]->objectName(), names[i]);
            QCOMPARE(items[i]->isSeparator(), captions[i].isEmpty());
            if (!items[i]->isSeparator())
                QCOMPARE(items[i]->text(), captions[i]);
            QCOMPARE(items[i]->shortcut().toString(QKeySequence::PortableText), shortcuts[i]);
            QVERIFY(items[i]->isEnabled());
            QVERIFY(!items[i]->isCheckable());
        }
    }

    // A screen reader's press returns at once: a command with a modal dialog
    // runs after the reply, on the next turn of the event loop.
    void anAccessiblePressReturnsBeforeTheDialogOpens()
    {
        Main w;
        QAccessibleInterface *menu =
            QAccessible::queryAccessibleInterface(w.findChild<QMenu *>(u"H_0"_s));
        QAccessibleInterface *item = nullptr;
        for (int i = 0; i < menu->childCount(); ++i) {
            if (menu->child(i)->object() == w.findChild<QAction *>(u"H_Version"_s))
                item = menu->child(i);
        }
        QVERIFY(item && item->actionInterface());
        DialogWatch<MoVersion> version([](MoVersion *dialog) { dialog->accept(); });
        item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(!version.fired());
        QTRY_VERIFY(version.fired());
    }

    void kanaMnemonicOpensItsMenu()
    {
        Main w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QChar kana(0xff72); // ｲ
        QTest::sendKeyEvent(QTest::Press, &w, Qt::Key(kana.unicode()), QString(kana),
                            Qt::AltModifier);
        QCOMPARE(w.menuBar()->activeAction(), w.menuBar()->actions().at(1));
    }

    void windowHasItsFixedLayout()
    {
        Main w;
        QCOMPARE(w.windowTitle(), u"無題[*] - かおぐみ"_s);
        QCOMPARE(w.centralWidget()->size(), QSize(249, 283));
        QCOMPARE(w.Picture1->geometry(), QRect(0, 0, 249, 265));
        QCOMPARE(w.Label1->geometry(), QRect(0, 264, 105, 21));
        QCOMPARE(w.Picture1->image().size(), QSize(249, 265));
        QVERIFY(surfaceIsWhite(w));
        QVERIFY(w.Label1->text().isEmpty());
        QCOMPARE(w.centralWidget()->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(w.Label1->palette().color(QPalette::Window),
                 w.palette().color(QPalette::ToolTipBase));
        QCOMPARE(w.Label1->font().pointSizeF(), 13.5);
        QVERIFY(!w.windowIcon().isNull());
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QCOMPARE(w.centralWidget()->size(), QSize(249, 283));
    }

    void startsEmptyWithoutAnArgument()
    {
        ScriptedMessages messages;
        Main w;
        w.Form_Load({});
        QVERIFY(w.FileDialog && w.PrinterDialog && w.IniSettings);
        QVERIFY(surfaceIsWhite(w));
        QVERIFY(w.Label1->text().isEmpty());
        QVERIFY(!w.document().Modified);
        QVERIFY(w.document().FaceFileName.isEmpty());
        QVERIFY(messages.asked.isEmpty());
    }

    void startsWithTheFaceFileNamed()
    {
        SandboxAppDir app;
        ColourFace face(app);
        QVERIFY(app.writeFile(u"a face.kgm"_s, face.fileBytes()));
        ScriptedMessages messages;
        Main w(app.path());
        w.Form_Load(app.filePath(u"a face.kgm"_s));
        QCOMPARE(w.document().FaceFileName, app.filePath(u"a face.kgm"_s));
        QCOMPARE(w.document().PartFiles, face.files);
        QCOMPARE(w.document().PartCodes, face.codes);
        QCOMPARE(w.Label1->text(), u"403120701"_s);
        QCOMPARE(pixel(w, 60, 30), u"#0000ff"_s);
        QCOMPARE(pixel(w, 150, 100), u"#00ff00"_s);
        QCOMPARE(pixel(w, 100, 200), u"#ffff00"_s);
        QCOMPARE(pixel(w, 200, 240), u"#ff0000"_s);
        QVERIFY(!w.document().Modified);
        w.show();
        QSignalSpy ended(&w, &Main::ended);
        QVERIFY(w.close());
        QCOMPARE(ended.count(), 1);
        QVERIFY(messages.asked.isEmpty());
    }

    void aNameThatNamesNothingStartsANewFaceThatSaveCreates_data()
    {
        QTest::addColumn<bool>("quoted");
        QTest::newRow("plain") << false;
        // The quotes stay part of the name, which then names no file.
        QTest::newRow("in quotes") << true;
    }
    void aNameThatNamesNothingStartsANewFaceThatSaveCreates()
    {
        QFETCH(bool, quoted);
        SandboxAppDir app;
        ColourFace face(app);
        QVERIFY(app.writeFile(u"old.kgm"_s, face.fileBytes()));
        const QString name =
            quoted ? u'"' + app.filePath(u"old.kgm"_s) + u'"' : app.filePath(u"new.kgm"_s);
        ScriptedMessages messages;
        Main w(app.path());
        w.Form_Load(name);
        QVERIFY(messages.asked.isEmpty());
        QCOMPARE(w.document().FaceFileName, name);
        QCOMPARE(w.document().PartFiles, FaceParts{});
        QCOMPARE(w.document().PartCodes, FaceParts{});
        QCOMPARE(w.Label1->text(), u"0004"_s);
        QVERIFY(surfaceIsWhite(w));
        QVERIFY(!w.document().Modified);
        if (quoted)
            return;
        w.F_Save_Click();
        QCOMPARE(app.readFile(u"new.kgm"_s),
                 QByteArray("\"\",\"\",\"\",\"\",\"\"\r\n\"\",\"\",\"\",\"\",\"\"\r\n"));
    }

    void savesAndReadsBackTheFace()
    {
        SandboxAppDir app;
        ColourFace face(app);
        ScriptedMessages messages;
        {
            Main w(app.path());
            w.Form_Load(app.filePath(u"face.kgm"_s));
            w.history().changeParts(face.files, face.codes, {});
            w.findChild<QAction *>(u"F_Save"_s)->trigger();
            QVERIFY(!w.document().Modified);
            QCOMPARE(app.readFile(u"face.kgm"_s), face.fileBytes());
            // A second save rewrites the whole file, never appends.
            w.F_Save_Click();
            QCOMPARE(app.readFile(u"face.kgm"_s), face.fileBytes());
        }
        Main again(app.path());
        again.Form_Load(app.filePath(u"face.kgm"_s));
        QCOMPARE(again.document().PartFiles, face.files);
        QCOMPARE(again.document().PartCodes, face.codes);
        QCOMPARE(again.Label1->text(), u"403120701"_s);
        QVERIFY(messages.asked.isEmpty());
    }

    void newMakesANewUnnamedFace_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<MsgBox::Answer>("answer");
        QTest::addColumn<bool>("empties");
        QTest::newRow("unmodified: no question") << false << MsgBox::Answer::Cancel << true;
        QTest::newRow("modified, no") << true << MsgBox::Answer::No << true;
        QTest::newRow("modified, yes saves first") << true << MsgBox::Answer::Yes << true;
        QTest::newRow("modified, cancel") << true << MsgBox::Answer::Cancel << false;
    }
    void newMakesANewUnnamedFace()
    {
        QFETCH(bool, modified);
        QFETCH(MsgBox::Answer, answer);
        QFETCH(bool, empties);
        SandboxAppDir app;
        ColourFace face(app);
        QVERIFY(app.writeFile(u"face.kgm"_s,
                              "\"\",\"\",\"\",\"\",\"\"\r\n\"\",\"\",\"\",\"\",\"\"\r\n"));
        ScriptedMessages messages;
        messages.answers = {answer};
        Main w(app.path());
        w.Form_Load(app.filePath(u"face.kgm"_s));
        w.history().start(face.files, face.codes, w.document().FaceFileName, !modified);
        w.findChild<QAction *>(u"F_New"_s)->trigger();
        QCOMPARE(messages.asked.size(), modified ? 1 : 0);
        const bool saved = answer == MsgBox::Answer::Yes;
        QCOMPARE(app.readFile(u"face.kgm"_s) == face.fileBytes(), saved);
        if (!empties) {
            QCOMPARE(w.document().PartFiles, face.files);
            QVERIFY(w.document().Modified);
            return;
        }
        QCOMPARE(w.document().PartFiles, FaceParts{});
        QCOMPARE(w.document().PartCodes, FaceParts{});
        QVERIFY(!w.document().Modified);
        QVERIFY(w.document().FaceFileName.isEmpty());
        QVERIFY(surfaceIsWhite(w));
        QCOMPARE(w.Label1->text(), u"0004"_s);
        // Save asks for a name: the file opened before keeps its face.
        const QByteArray before = app.readFile(u"face.kgm"_s);
        ScriptedFiles files;
        w.F_Save_Click();
        QCOMPARE(files.asked.size(), 1);
        QCOMPARE(app.readFile(u"face.kgm"_s), before);
    }

    // Told to end by a signal, the program ends without a question and keeps
    // a face with unsaved changes, which the next start offers back.
    void aSignalToEndKeepsTheFaceForTheNextStart_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<MsgBox::Answer>("answer");
        QTest::newRow("SIGTERM, taken back") << SIGTERM << true << MsgBox::Answer::Yes;
        QTest::newRow("SIGHUP, declined") << SIGHUP << true << MsgBox::Answer::No;
        QTest::newRow("SIGTERM, nothing to keep") << SIGTERM << false << MsgBox::Answer::Yes;
    }
    void aSignalToEndKeepsTheFaceForTheNextStart()
    {
        QFETCH(int, signal);
        QFETCH(bool, modified);
        QFETCH(MsgBox::Answer, answer);
        QTemporaryDir state;
        const QByteArray before = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
        SandboxAppDir app;
        ColourFace face(app);
        const QString path = app.filePath(u"face.kgm"_s);
        QVERIFY(app.writeFile(u"face.kgm"_s, face.fileBytes()));
        FaceDocument made;
        {
            ScriptedMessages messages;
            Main w(app.path());
            w.Form_Load(path);
            if (modified)
                w.takePart(Category::Hair, QString(), QString());
            made = w.document();
            w.show();
            QSignalSpy ended(&w, &Main::ended);
            ::raise(signal);
            QVERIFY(ended.wait());
            QVERIFY(!w.isVisible()); // quitting finds no window to close
            QVERIFY(messages.asked.isEmpty());
        }
        ScriptedMessages messages;
        messages.answers = {answer};
        Main again(app.path());
        again.Form_Load({});
        qputenv("XDG_STATE_HOME", before);
        QCOMPARE(messages.asked.size(), modified ? 1 : 0);
        const bool taken = modified && answer == MsgBox::Answer::Yes;
        QCOMPARE(again.document().PartFiles, taken ? made.PartFiles : FaceParts{});
        QCOMPARE(again.document().FaceFileName, taken ? path : QString());
        QCOMPARE(again.document().Modified, taken);
        // Offered once: the kept face is gone whatever the answer.
        QVERIFY(QDir(state.path() + u"/kaogumi"_s).isEmpty());
    }

    void refusesWhatIsNotAFaceFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("four fields a line")
            << sjis(u"\"顔\\f03.png\",\"髪\\h07.png\",\"目\\e12.png\",\"口\\m01.png\"\r\n"
                    u"\"03\",\"07\",\"12\",\"01\"\r\n"_s);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("one line") << QByteArray("\"a\",\"b\",\"c\",\"d\",\"\"\r\n");
        // A picture renamed to .kgm: enough fields, but full of control bytes.
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImage picture(8, 8, QImage::Format_ARGB32);
        picture.fill(Qt::red);
        picture.save(&buffer, "PNG");
        QTest::newRow("a picture") << png;
    }
    void refusesWhatIsNotAFaceFile()
    {
        QFETCH(QByteArray, bytes);
        SandboxAppDir app;
        ColourFace face(app);
        QVERIFY(app.writeFile(u"face.kgm"_s, face.fileBytes()));
        QVERIFY(app.writeFile(u"bad.kgm"_s, bytes));
        ScriptedMessages messages;
        Main w(app.path());
        w.Form_Load(app.filePath(u"face.kgm"_s));
        w.history().start(face.files, face.codes, w.document().FaceFileName, false);
        w.Form_Load(app.filePath(u"bad.kgm"_s));
        QCOMPARE(messages.asked.size(), 1);
        const MsgBox::Request &r = messages.asked.first();
        QCOMPARE(r.prompt, kFormatMessage);
        QCOMPARE(r.detail, u"「%1」"_s.arg(QDir::toNativeSeparators(app.filePath(u"bad.kgm"_s))));
        QCOMPARE(r.icon, MsgBox::Icon::Critical);
        QCOMPARE(r.buttons, MsgBox::Buttons::Ok);
        QVERIFY(r.title.isEmpty());
        QCOMPARE(w.document().PartFiles, face.files);
        QCOMPARE(w.document().PartCodes, face.codes);
        QVERIFY(w.document().Modified);
        QCOMPARE(w.Label1->text(), u"403120701"_s);
        // The refused file never becomes the face's file, so Save cannot
        // overwrite it.
        QCOMPARE(w.document().FaceFileName, app.filePath(u"face.kgm"_s));
        w.F_Save_Click();
        QCOMPARE(app.readFile(u"bad.kgm"_s), bytes);
    }

    void reportsAFaceFileItCannotRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("folder") << u"folder"_s;
        QTest::newRow("fifo") << u"fifo"_s;
    }
    void reportsAFaceFileItCannotRead()
    {
        QFETCH(QString, kind);
        SandboxAppDir app;
        ColourFace face(app);
        QVERIFY(app.writeFile(u"face.kgm"_s, face.fileBytes()));
        const QString unreadable = app.filePath(u"unreadable.kgm"_s);
        if (kind == u"folder")
            QVERIFY(QDir().mkdir(unreadable));
        else
            QCOMPARE(mkfifo(QFile::encodeName(unreadable).constData(), 0600), 0);
        ScriptedMessages messages;
        Main w(app.path());
        w.Form_Load(app.filePath(u"face.kgm"_s));
        w.history().start(face.files, face.codes, w.document().FaceFileName, false);
        w.Form_Load(unreadable);
        QCOMPARE(messages.asked.size(), 1);
        QVERIFY(messages.asked.first().prompt.contains(unreadable));
        QCOMPARE(messages.asked.first().icon, MsgBox::Icon::Critical);
        QCOMPARE(w.document().PartFiles, face.files);
        QVERIFY(w.document().Modified);
        QCOMPARE(w.document().FaceFileName, app.filePath(u"face.kgm"_s));
    }

    void reportsASaveThatFailed_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("hairFile");
        QTest::newRow("missing folder") << u"no such folder/face.kgm"_s << u"髪\\h.png"_s;
        QTest::newRow("a folder in the way") << u"髪"_s << u"髪\\h.png"_s;
        QTest::newRow("a name the format cannot hold") << u"face.kgm"_s << u"髪\\\"h\".png"_s;
    }
    void reportsASaveThatFailed()
    {
        QFETCH(QString, target);
        QFETCH(QString, hairFile);
        SandboxAppDir app;
        ColourFace face(app);
        QVERIFY(app.writeFile(u"face.kgm"_s, face.fileBytes()));
        ScriptedMessages messages;
        Main w(app.path());
        w.Form_Load(app.filePath(u"face.kgm"_s));
        FaceParts files = face.files;
        files.Hair = hairFile;
        w.history().start(files, face.codes, app.filePath(target), false);
        w.F_Save_Click();
        QCOMPARE(messages.asked.size(), 1);
        QVERIFY(
            messages.asked.first().prompt.contains(QDir::toNativeSeparators(app.filePath(target))));
        QCOMPARE(messages.asked.first().icon, MsgBox::Icon::Critical);
        QVERIFY(w.document().Modified);
        QCOMPARE(app.readFile(u"face.kgm"_s), face.fileBytes());
    }

    void exitCheckFollowsTheAnswer_data()
    {
        QTest::addColumn<MsgBox::Answer>("answer");
        QTest::addColumn<bool>("named");
        QTest::addColumn<bool>("ends");
        QTest::addColumn<bool>("saved");
        QTest::newRow("yes saves and ends") << MsgBox::Answer::Yes << true << true << true;
        QTest::newRow("no ends without saving") << MsgBox::Answer::No << true << true << false;
        QTest::newRow("cancel keeps running") << MsgBox::Answer::Cancel << true << false << false;
        // Yes without a name falls back to Save As; a save that does not
        // happen keeps the program running with the face.
        QTest::newRow("yes without a name keeps running")
            << MsgBox::Answer::Yes << false << false << false;
    }
    void exitCheckFollowsTheAnswer()
    {
        QFETCH(MsgBox::Answer, answer);
        QFETCH(bool, named);
        QFETCH(bool, ends);
        QFETCH(bool, saved);
        SandboxAppDir app;
        ColourFace face(app);
        ScriptedMessages messages;
        messages.answers = {answer};
        ScriptedFiles files; // Save As, when there is no name, is cancelled
        Main w(app.path());
        w.Form_Load(named ? app.filePath(u"face.kgm"_s) : QString());
        w.history().changeParts(face.files, face.codes, {});
        w.show();
        QSignalSpy ended(&w, &Main::ended);
        w.findChild<QAction *>(u"F_Close"_s)->trigger();

        QCOMPARE(messages.asked.size(), 1);
        const MsgBox::Request &r = messages.asked.first();
        QCOMPARE(r.prompt, kExitQuestion);
        QCOMPARE(r.title, u"かおぐみの終了"_s);
        QCOMPARE(r.icon, MsgBox::Icon::Question);
        QCOMPARE(r.buttons, MsgBox::Buttons::YesNoCancel);
        QCOMPARE(r.defaultAnswer, MsgBox::Answer::Yes);
        QCOMPARE(ended.count(), ends ? 1 : 0);
        QCOMPARE(w.isVisible(), !ends);
        QCOMPARE(QFile::exists(app.filePath(u"face.kgm"_s)), saved);
        if (saved)
            QCOMPARE(app.readFile(u"face.kgm"_s), face.fileBytes());
        QCOMPARE(w.document().Modified, !saved);
        QCOMPARE(w.document().PartFiles, face.files);
        QCOMPARE(files.asked.size(), named ? 0 : 1);
    }

    void exitCheckKeepsRunningWhenTheSaveFails()
    {
        SandboxAppDir app;
        ScriptedMessages messages;
        messages.answers = {MsgBox::Answer::Yes, MsgBox::Answer::Ok};
        Main w(app.path());
        w.Form_Load(app.filePath(u"missing/face.kgm"_s));
        w.history().start({}, {}, w.document().FaceFileName, false);
        w.show();
        QSignalSpy ended(&w, &Main::ended);
        QVERIFY(!w.close());
        QCOMPARE(messages.asked.size(), 2);
        QCOMPARE(messages.asked.at(1).icon, MsgBox::Icon::Critical);
        QCOMPARE(ended.count(), 0);
        QVERIFY(w.isVisible());
        QVERIFY(w.document().Modified);
    }
};

QTEST_MAIN(TestMain)
#include "tst_main.moc"
