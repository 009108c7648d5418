#include "FullFilesystem.h"
#include "ScriptedAnswers.h"
#include "TestUtils.h"
#include "document/FaceFile.h"
#include "document/Main.h"
#include "platform/FileMessages.h"
#include "platform/IniFile.h"

#include <QImage>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The three files the program writes: the face file (Save), a picture of the
// face (Export) and the settings file.
enum class Writer { FaceFile, Picture, Settings };
enum class Fault { FullDisk, NearlyFull, ReadOnly, Folder, ForeignLink, DanglingLink };

QString fileName(Writer writer)
{
    switch (writer) {
    case Writer::FaceFile:
        return u"face.kgm"_s;
    case Writer::Picture:
        // Larger than the 8 KiB a nearly full disk has left.
        return u"face.bmp"_s;
    case Writer::Settings:
        break;
    }
    return u"settings.ini"_s;
}

const QByteArray kOldSettings = "[Face]\r\nHair=h07\r\n";

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The face as the user changed it after opening: another hair.
void changeHair(Main &w)
{
    w.takePart(Category::Hair, u"髪\\h08.png"_s, u"08"_s);
}

// Writes the face's file, a picture of the face or a setting to path, as the
// user's command does. The face file goes to the face's own name with Save,
// or with Save As to another one.
void write(Writer writer, Main &w, ScriptedFiles &files, const QString &path)
{
    switch (writer) {
    case Writer::FaceFile:
        if (path == w.document().FaceFileName) {
            w.F_Save_Click();
        } else {
            files.choose(path);
            w.F_SaveAS_Click();
        }
        break;
    case Writer::Picture:
        files.choose(path);
        w.F_SavePic_Click();
        break;
    case Writer::Settings:
        w.IniSettings->setIniFile(path);
        w.IniSettings->SetIni(u"Face"_s, u"Hair"_s, u"h08"_s);
        break;
    }
}

// Whether path holds what write() puts there for the face w shows.
bool holdsWhatWasWritten(Writer writer, const Main &w, const QString &path)
{
    switch (writer) {
    case Writer::FaceFile: {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) &&
               file.readAll() ==
                   FaceFile::write(w.document().PartFiles, w.document().PartCodes).bytes;
    }
    case Writer::Picture:
        return QImage(path).size() == QSize(249, 265);
    case Writer::Settings:
        break;
    }
    IniFile ini;
    ini.setIniFile(path);
    return ini.GetIni(u"Face"_s, u"Hair"_s) == u"h08"_s;
}

} // namespace

class TestWriteFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A write the system refuses leaves the file that stood there as it was,
    // is reported where the program reports errors (the settings file, whose
    // writes are never reported, stays silent), keeps the face as the user
    // made it, and the same command then writes to a good place.
    void aRefusedWriteKeepsTheOldFileAndTheFace_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("reason"); // "": any reason given
        const std::pair<Writer, const char *> writers[] = {{Writer::FaceFile, "face file"},
                                                           {Writer::Picture, "picture"},
                                                           {Writer::Settings, "settings"}};
        const std::tuple<Fault, const char *, QString> faults[] = {
            {Fault::FullDisk, "full disk", systemReason(ENOSPC)},
            // Qt's own words: the file is found unwritable before any write.
            {Fault::ReadOnly, "read-only folder", QString()},
            {Fault::Folder, "file replaced by a folder", u"通常のファイルではありません。"_s},
            // The reason, not "Unknown error": the disk fills up half-way.
            {Fault::NearlyFull, "nearly full disk", systemReason(ENOSPC)},
            // A link put in the file's place never leads a write elsewhere.
            {Fault::ForeignLink, "file replaced by a link to another user's file",
             FileMessages::reason({AtomicFile::Result::Error::Link, {}})},
            {Fault::DanglingLink, "file replaced by a link that leads nowhere",
             FileMessages::reason({AtomicFile::Result::Error::Link, {}})}};
        for (const auto &[writer, writerName] : writers) {
            for (const auto &[fault, faultName, reason] : faults) {
                // Only a picture is larger than what is left of the disk.
                if (fault != Fault::NearlyFull || writer == Writer::Picture)
                    QTest::addRow("%s, %s", writerName, faultName) << writer << fault << reason;
            }
        }
    }
    void aRefusedWriteKeepsTheOldFileAndTheFace()
    {
        QFETCH(Writer, writer);
        QFETCH(Fault, fault);
        QFETCH(QString, reason);
        SandboxAppDir app;
        ColourFace face(app);
        QVERIFY(app.writeFile(u"face.kgm"_s, face.fileBytes()));
        const QString name = fileName(writer);
        const QByteArray old = writer == Writer::FaceFile   ? face.fileBytes()
                               : writer == Writer::Settings ? kOldSettings
                                                            : QByteArray("an older picture");
        QVERIFY(QDir(app.path()).mkpath(u"disk"_s));
        QVERIFY(QDir(app.path()).mkpath(u"good"_s));
        const QString target = app.filePath(u"disk/"_s + name);
        const bool link = fault == Fault::ForeignLink || fault == Fault::DanglingLink;
        const QString decoy = app.filePath(u"decoy"_s);
        std::unique_ptr<FullFilesystem> disk;
        if (fault == Fault::Folder || link) {
            QVERIFY(app.writeFile(u"disk/"_s + name, old));
        } else {
            disk = std::make_unique<FullFilesystem>(
                app.filePath(u"disk"_s), FullFilesystem::Files{{name, old}},
                fault == Fault::FullDisk     ? FullFilesystem::State::Full
                : fault == Fault::NearlyFull ? FullFilesystem::State::NearlyFull
                                             : FullFilesystem::State::ReadOnly);
            if (!disk->error().isEmpty())
                QSKIP(qPrintable(u"no filesystem to fail on: "_s + disk->error()));
        }
        // Another user's file, as /etc/shadow is: owner, group and mode are
        // watched as well as the bytes.
        struct stat decoyBefore = {};
        if (fault == Fault::ForeignLink) {
            if (::geteuid() != 0)
                QSKIP("giving the decoy to another user needs root");
            QVERIFY(app.writeFile(u"decoy"_s, old));
            const QByteArray path = QFile::encodeName(decoy);
            QVERIFY(::chown(path.constData(), 65534, 42) == 0 &&
                    ::chmod(path.constData(), 0640) == 0);
            QVERIFY(::stat(path.constData(), &decoyBefore) == 0);
        }

        ScriptedMessages messages;
        ScriptedFiles files;
        Main w(app.path());
        w.Form_Load(writer == Writer::FaceFile ? target : app.filePath(u"face.kgm"_s));
        QVERIFY(messages.asked.isEmpty());
        if (fault == Fault::Folder) {
            // Someone else puts a folder where the file was.
            QVERIFY(QFile::remove(target));
            QVERIFY(QDir().mkdir(target));
        } else if (link) {
            QVERIFY(QFile::remove(target));
            QVERIFY(QFile::link(decoy, target));
        }
        changeHair(w);
        const FaceDocument made = w.document();

        write(writer, w, files, target);
        QCOMPARE(messages.asked.size(), writer == Writer::Settings ? 0 : 1);
        if (writer != Writer::Settings) {
            const MsgBox::Request &message = messages.asked.first();
            QCOMPARE(message.icon, MsgBox::Icon::Critical);
            const QString why = message.prompt.section(u'\r', 1);
            QVERIFY2(message.prompt.contains(QDir::toNativeSeparators(target)) &&
                         (reason.isEmpty() ? !why.isEmpty() : why == reason),
                     qPrintable(message.prompt));
        }
        if (fault == Fault::Folder) {
            QVERIFY(QFileInfo(target).isDir() && QDir(target).isEmpty());
        } else if (link) {
            QCOMPARE(QFileInfo(target).symLinkTarget(), decoy);
            QCOMPARE(QFileInfo::exists(decoy), fault == Fault::ForeignLink);
        }
        if (fault == Fault::ForeignLink) {
            struct stat after = {};
            QVERIFY(::stat(QFile::encodeName(decoy).constData(), &after) == 0);
            QCOMPARE(app.readFile(u"decoy"_s), old);
            QCOMPARE(after.st_uid, decoyBefore.st_uid);
            QCOMPARE(after.st_gid, decoyBefore.st_gid);
            QCOMPARE(after.st_mode, decoyBefore.st_mode);
        } else if (fault != Fault::Folder && fault != Fault::DanglingLink) {
            QCOMPARE(app.readFile(u"disk/"_s + name), old);
        }
        QCOMPARE(w.document().PartFiles, made.PartFiles);
        QCOMPARE(w.document().FaceFileName, made.FaceFileName);
        QVERIFY(w.document().Modified);

        const QString good = app.filePath(u"good/"_s + name);
        write(writer, w, files, good);
        QCOMPARE(messages.asked.size(), writer == Writer::Settings ? 0 : 1);
        QVERIFY(holdsWhatWasWritten(writer, w, good));
        QCOMPARE(w.document().Modified, writer != Writer::FaceFile);
    }

    // Where a write may go on: through a link of the user's own to a file
    // of theirs, whose mode and group stay and whose link stays a link; and
    // into an empty file that another program holds open waiting for it (a
    // thumbnail service), which must see the bytes where it looks.
    void aWriteReachesTheFileTheUserMeant_data()
    {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<bool>("throughLink");
        for (const auto &[writer, name] :
             {std::pair{Writer::FaceFile, "face file"}, std::pair{Writer::Picture, "picture"}}) {
            QTest::addRow("%s, through the user's own link", name) << writer << true;
            QTest::addRow("%s, into an empty file held open", name) << writer << false;
        }
    }
    void aWriteReachesTheFileTheUserMeant()
    {
        QFETCH(Writer, writer);
        QFETCH(bool, throughLink);
        SandboxAppDir app;
        ColourFace face(app);
        QVERIFY(app.writeFile(u"face.kgm"_s, face.fileBytes()));
        const QString name = fileName(writer);
        const QString real = app.filePath(u"real-"_s + name);
        const QString target = throughLink ? app.filePath(u"link-"_s + name) : real;
        QVERIFY(app.writeFile(u"real-"_s + name, throughLink ? QByteArray("older") : QByteArray()));
        const QByteArray realPath = QFile::encodeName(real);
        const gid_t group = ::geteuid() == 0 ? 42 : ::getegid();
        QVERIFY(::chown(realPath.constData(), ::geteuid(), group) == 0);
        QVERIFY(::chmod(realPath.constData(), 0640) == 0);
        if (throughLink)
            QVERIFY(QFile::link(real, target));
        struct stat before = {};
        QVERIFY(::stat(realPath.constData(), &before) == 0);
        QFile reader(real);
        QVERIFY(reader.open(QIODevice::ReadOnly));

        ScriptedMessages messages;
        ScriptedFiles files;
        Main w(app.path());
        w.Form_Load(app.filePath(u"face.kgm"_s));
        changeHair(w);
        write(writer, w, files, target);

        QVERIFY2(messages.asked.isEmpty(), qPrintable(messages.asked.value(0).prompt));
        QVERIFY(holdsWhatWasWritten(writer, w, real));
        QCOMPARE(QFileInfo(target).isSymLink(), throughLink);
        struct stat after = {};
        QVERIFY(::stat(realPath.constData(), &after) == 0);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_gid, before.st_gid);
        // The file held open is the one written, or the old one renamed away.
        QCOMPARE(after.st_ino == before.st_ino, !throughLink);
        if (!throughLink)
            QCOMPARE(reader.readAll(), app.readFile(u"real-"_s + name));
    }

    // The face file deleted behind the program's back: Save writes it anew;
    // opening it says that it is missing and keeps the face on screen, which
    // a later Save still writes. (Only a name given at start-up that names
    // nothing yet starts a new face.)
    void theFaceFileDeletedWhileTheProgramRuns_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("Save writes it anew") << u"save"_s;
        QTest::newRow("Open says it is missing") << u"open"_s;
        QTest::newRow("opening a dropped file says it is missing") << u"drop"_s;
    }
    void theFaceFileDeletedWhileTheProgramRuns()
    {
        QFETCH(QString, command);
        SandboxAppDir app;
        ColourFace face(app);
        const QString path = app.filePath(u"face.kgm"_s);
        QVERIFY(app.writeFile(u"face.kgm"_s, face.fileBytes()));
        ScriptedMessages messages;
        ScriptedFiles files;
        Main w(app.path());
        w.Form_Load(path);
        changeHair(w);
        const FaceDocument made = w.document();
        QVERIFY(QFile::remove(path));

        // "Save first?" is answered No: the user means to open the file.
        messages.answers = {MsgBox::Answer::No};
        if (command == u"open") {
            files.choose(path);
            w.F_Open_Click();
        } else if (command == u"drop") {
            // What a drop opens once it has read the file.
            w.session().openFile(path);
        }
        if (command != u"save") {
            QCOMPARE(messages.asked.size(), 2);
            QVERIFY2(messages.asked.last().prompt.contains(QDir::toNativeSeparators(path)) &&
                         messages.asked.last().prompt.endsWith(u'\r' + systemReason(ENOENT)),
                     qPrintable(messages.asked.last().prompt));
            QCOMPARE(w.document().PartFiles, made.PartFiles);
            QCOMPARE(w.document().FaceFileName, path);
            QVERIFY(w.document().Modified);
        }

        w.F_Save_Click();
        QVERIFY(!w.document().Modified);
        QCOMPARE(app.readFile(u"face.kgm"_s),
                 FaceFile::write(made.PartFiles, made.PartCodes).bytes);
    }
};

QTEST_MAIN(TestWriteFaults)
#include "tst_writefaults.moc"
