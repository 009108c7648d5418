#include "FullFilesystem.h"
#include "ScriptedAnswers.h"
#include "TestUtils.h"
#include "document/FaceHistory.h"
#include "document/FaceSession.h"
#include "document/Main.h"

#include <QTest>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A face that differs from the one on disk, so that a save has something new
// to write.
void modify(FaceHistory &history, const ColourFace &face, const QString &fileName)
{
    FaceParts files = face.files;
    files.Mouth = u"口\\another mouth.png"_s;
    history.start(files, face.codes, fileName, false);
}

const QString kNoSpace = QString::fromLocal8Bit(std::strerror(ENOSPC));
const QString kNotAFile = u"通常のファイルではありません。"_s;

} // namespace

class TestFaceSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Whatever stands where the face is saved, a write that cannot be done
    // leaves it as it was, says why, and keeps the face modified.
    void aFailedSaveLeavesTheOldFileAndSaysWhy_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("full filesystem") << u"disk/face.kgm"_s << kNoSpace;
        QTest::newRow("device node") << u"device.kgm"_s << kNotAFile;
        QTest::newRow("fifo") << u"fifo.kgm"_s << kNotAFile;
        QTest::newRow("link to a device") << u"link.kgm"_s << kNotAFile;
    }
    void aFailedSaveLeavesTheOldFileAndSaysWhy()
    {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        SandboxAppDir app;
        ColourFace face(app);
        const QByteArray path = QFile::encodeName(app.filePath(target));
        std::unique_ptr<FullFilesystem> disk;
        if (target.startsWith(u"disk/")) {
            QVERIFY(QDir(app.path()).mkdir(u"disk"_s));
            disk = std::make_unique<FullFilesystem>(
                app.filePath(u"disk"_s), FullFilesystem::Files{{u"face.kgm"_s, face.fileBytes()}});
            if (!disk->error().isEmpty())
                QSKIP(qPrintable(u"no full filesystem to test on: "_s + disk->error()));
        } else if (target == u"fifo.kgm") {
            QCOMPARE(::mkfifo(path.constData(), 0644), 0);
        } else {
            // A private node with the numbers of /dev/full.
            const QByteArray node = QFile::encodeName(app.filePath(u"device.kgm"_s));
            if (::mknod(node.constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
                QSKIP("mknod needs root");
            if (target == u"link.kgm")
                QCOMPARE(::symlink(node.constData(), path.constData()), 0);
        }
        struct stat before;
        QCOMPARE(::lstat(path.constData(), &before), 0);

        ScriptedMessages messages;
        ScriptedFiles files;
        FileDlg dialog;
        FaceHistory history;
        FaceSession session(nullptr, dialog, history);
        modify(history, face, app.filePath(target));
        QVERIFY(!session.save());

        QCOMPARE(messages.asked.size(), 1);
        QVERIFY2(messages.asked.first().prompt.endsWith(u'\r' + reason),
                 qPrintable(messages.asked.first().prompt));
        QVERIFY(session.document().Modified);
        struct stat after;
        QCOMPARE(::lstat(path.constData(), &after), 0);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_ino, before.st_ino);
        if (disk)
            QCOMPARE(app.readFile(target), face.fileBytes());
    }

    // Save As takes the new name only once the face is written there; until
    // then Save goes on to the old name, or asks again when there is none.
    void saveAsAdoptsTheNameOnlyOnceWritten_data()
    {
        QTest::addColumn<QString>("oldName");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("written");
        QTest::newRow("written") << u"old.kgm"_s << u"new.kgm"_s << true;
        QTest::newRow("failed, with a name before") << u"old.kgm"_s << u"none/new.kgm"_s << false;
        QTest::newRow("failed, without a name") << QString() << u"none/new.kgm"_s << false;
    }
    void saveAsAdoptsTheNameOnlyOnceWritten()
    {
        QFETCH(QString, oldName);
        QFETCH(QString, chosen);
        QFETCH(bool, written);
        SandboxAppDir app;
        ColourFace face(app);
        ScriptedMessages messages;
        ScriptedFiles files;
        FileDlg dialog;
        FaceHistory history;
        FaceSession session(nullptr, dialog, history);
        const QString old = oldName.isEmpty() ? QString() : app.filePath(oldName);
        modify(history, face, old);
        files.choose(app.filePath(chosen));
        QCOMPARE(session.saveAs(), written);
        QCOMPARE(session.document().FaceFileName, written ? app.filePath(chosen) : old);
        QCOMPARE(session.document().Modified, !written);
        QCOMPARE(messages.asked.size(), written ? 0 : 1);

        // The next Save writes to the face's name, or offers the dialog again.
        files.cancel();
        modify(history, face, session.document().FaceFileName);
        session.save();
        QCOMPARE(files.asked.size(), session.document().FaceFileName.isEmpty() ? 2 : 1);
    }

    // The answer given to a logout holds for that logout only, and a logout
    // that arrives while a dialog is open is turned down without a question.
    void logoutAnswersHoldForThatLogoutOnly()
    {
        SandboxAppDir app;
        ColourFace face(app);
        ScriptedMessages messages;
        ScriptedFiles files;
        Main w(app.path());
        w.Form_Load(app.filePath(u"face.kgm"_s));
        modify(w.history(), face, w.document().FaceFileName);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        messages.answers = {MsgBox::Answer::No};
        QVERIFY(w.session().answerLogout(true, false));
        QCOMPARE(messages.asked.size(), 1);
        // The logout goes on: the window closes without asking again.
        QVERIFY(w.session().confirmEnd());
        QCOMPARE(messages.asked.size(), 1);
        // Another program cancelled the logout, and the user works on: the
        // exit check asks again.
        QTest::keyClick(&w, Qt::Key_Shift);
        messages.answers = {MsgBox::Answer::Cancel};
        QVERIFY(!w.close());
        QCOMPARE(messages.asked.size(), 2);
        QVERIFY(w.isVisible());

        // During the save dialog a logout is turned down, with no second
        // dialog inside the first.
        bool answered = true;
        FileDlg::setHandler([&](const FileDlg::Request &) {
            answered = w.session().answerLogout(true, false);
            return FileDlg::Answer{};
        });
        w.session().saveAs();
        QVERIFY(!answered);
        QCOMPARE(messages.asked.size(), 2);
        // And while a dialog of another command is open.
        QVERIFY(!w.session().answerLogout(true, true));
        QCOMPARE(messages.asked.size(), 2);
        QVERIFY(w.session().document().Modified);
    }
};

QTEST_MAIN(TestFaceSession)
#include "tst_facesession.moc"
