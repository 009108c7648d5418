#include "selection/FileListing.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A parts folder of the test's own.
class Folder
{
public:
    Folder() = default;
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;
    // QTemporaryDir removes files by their names as text, which a name that is
    // not UTF-8 does not survive; those go by their bytes first.
    ~Folder()
    {
        for (const QByteArray &name : m_rawNames)
            ::unlink(bytePath(name).constData());
    }

    QString path() const { return m_dir.path() + u'/'; }
    QByteArray bytePath(const QByteArray &name) const
    {
        return QFile::encodeName(m_dir.path()) + '/' + name;
    }

    bool addFiles(const QStringList &names) const
    {
        for (const QString &name : names) {
            if (!addRaw(QFile::encodeName(name)))
                return false;
        }
        return true;
    }
    // Creates a file with the name exactly as given, bytes that are not UTF-8
    // included.
    bool addRaw(const QByteArray &name) const
    {
        const int fd = ::open(bytePath(name).constData(), O_CREAT | O_WRONLY | O_EXCL, 0644);
        return fd >= 0 && ::close(fd) == 0;
    }
    bool addUndecodable(const QByteArray &name)
    {
        m_rawNames.push_back(name);
        return addRaw(name);
    }
    bool addFolders(const QStringList &names) const
    {
        for (const QString &name : names) {
            if (!QDir(m_dir.path()).mkdir(name))
                return false;
        }
        return true;
    }
    bool addLink(const QString &name, const QString &target) const
    {
        return ::symlink(QFile::encodeName(target).constData(),
                         bytePath(QFile::encodeName(name)).constData()) == 0;
    }

private:
    QTemporaryDir m_dir;
    QList<QByteArray> m_rawNames;
};

QStringList listAll(const Folder &folder)
{
    return FileListing::ListFiles(u"*.*"_s, folder.path());
}

// Root reads every folder through two capabilities, not through its user id.
// This thread gives them up while the object lives, so a folder without read
// permission is closed to the listing whoever runs the test (CI runs as root).
// They stay permitted and come back at the end.
class WithoutReadOverride
{
public:
    WithoutReadOverride()
    {
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_ok = ::syscall(SYS_capset, &m_header, lowered) == 0;
    }
    ~WithoutReadOverride()
    {
        if (m_ok)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    WithoutReadOverride(const WithoutReadOverride &) = delete;
    WithoutReadOverride &operator=(const WithoutReadOverride &) = delete;

    bool ok() const { return m_ok; }

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_ok = false;
};

} // namespace

class TestFileListing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QTest::failOnWarning(QRegularExpression(u".*"_s)); }

    void listsFilesInWindowsOrder_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty folder") << QStringList{} << QStringList{} << QStringList{};
        QTest::newRow("only subfolders")
            << QStringList{} << QStringList{u"a"_s, u"b.png"_s} << QStringList{};
        QTest::newRow("three files beside a subfolder")
            << QStringList{u"f02.png"_s, u"f00.png"_s, u"f01.png"_s} << QStringList{u"f03.png"_s}
            << QStringList{u"f00.png"_s, u"f01.png"_s, u"f02.png"_s};
        QTest::newRow("hidden, non-picture and dotless files")
            << QStringList{u"Thumbs.db"_s, u"readme.txt"_s, u".hidden"_s, u"noext"_s, u"f.png"_s}
            << QStringList{}
            << QStringList{u".hidden"_s, u"f.png"_s, u"noext"_s, u"readme.txt"_s, u"Thumbs.db"_s};
        QTest::newRow("a comma is part of one name")
            << QStringList{u"a.png"_s, u"a,b.png"_s, u",.png"_s} << QStringList{}
            << QStringList{u",.png"_s, u"a,b.png"_s, u"a.png"_s};
        // Letters compare as capitals, so "_" (after "Z") comes after every letter.
        QTest::newRow("case") << QStringList{u"b.png"_s, u"A.png"_s, u"_x.png"_s, u"a.png"_s}
                              << QStringList{}
                              << QStringList{u"A.png"_s, u"a.png"_s, u"b.png"_s, u"_x.png"_s};
        QTest::newRow("names equal but for case")
            << QStringList{u"abc"_s, u"ABC"_s, u"Abc"_s} << QStringList{}
            << QStringList{u"ABC"_s, u"Abc"_s, u"abc"_s};
        QTest::newRow("signs between the capitals and small letters")
            << QStringList{u"~x"_s, u"{x"_s, u"`x"_s, u"a"_s, u"[x"_s} << QStringList{}
            << QStringList{u"a"_s, u"[x"_s, u"`x"_s, u"{x"_s, u"~x"_s};
        QTest::newRow("digits one by one, before letters")
            << QStringList{u"A10.png"_s, u"9.png"_s, u"a1.png"_s, u"10.png"_s} << QStringList{}
            << QStringList{u"10.png"_s, u"9.png"_s, u"a1.png"_s, u"A10.png"_s};
        // ß has no one-letter capital and stays after "ST"; ÿ becomes Ÿ (U+0178)
        // and so follows Ā (U+0100); full-width ａ becomes Ａ and precedes Ｂ.
        QTest::newRow("capitals beyond ASCII")
            << QStringList{u"ß.png"_s, u"st.png"_s, u"ss.png"_s, u"ÿ.png"_s,
                           u"Ā.png"_s, u"Ｂ.png"_s, u"ａ.png"_s}
            << QStringList{} << QStringList{u"ss.png"_s, u"st.png"_s, u"ß.png"_s, u"Ā.png"_s,
                                            u"ÿ.png"_s,  u"ａ.png"_s, u"Ｂ.png"_s};
        // 𠀋 (U+2000B) is stored as D840 DC0B, which comes before ｱ (U+FF71).
        QTest::newRow("Japanese, by UTF-16 unit")
            << QStringList{u"ｱ.png"_s, u"亜.png"_s, u"𠀋.png"_s, u"ア.png"_s, u"あ.png"_s}
            << QStringList{u"い"_s}
            << QStringList{u"あ.png"_s, u"ア.png"_s, u"亜.png"_s, u"𠀋.png"_s, u"ｱ.png"_s};
    }
    void listsFilesInWindowsOrder()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, folders);
        QFETCH(QStringList, expected);
        Folder folder;
        QVERIFY(folder.addFiles(files));
        QVERIFY(folder.addFolders(folders));
        QCOMPARE(listAll(folder), expected);
    }

    // The patterns themselves are tested in tst_wildcard; here, that the
    // listing applies one and keeps the folder's order among what it takes.
    void listsTheNamesThePatternTakes()
    {
        Folder folder;
        QVERIFY(folder.addFiles({u"h01.png"_s, u"h1.png"_s, u"h.png"_s, u"h123.png"_s, u"H22.PNG"_s,
                                 u"x.png.bak"_s, u"h12.gif"_s}));
        QCOMPARE(FileListing::ListFiles(u"h??.png"_s, folder.path()),
                 (QStringList{u"h.png"_s, u"h01.png"_s, u"h1.png"_s, u"H22.PNG"_s}));
    }

    void listsFilesAndLinksToFilesOnly()
    {
        Folder folder;
        QVERIFY(folder.addFiles({u"file.png"_s}));
        QVERIFY(folder.addFolders({u"sub"_s}));
        QVERIFY(folder.addLink(u"tofile.png"_s, u"file.png"_s));
        QVERIFY(folder.addLink(u"todir.png"_s, u"sub"_s));
        QVERIFY(folder.addLink(u"broken.png"_s, u"gone.png"_s));
        QCOMPARE(::mkfifo(folder.bytePath("fifo.png").constData(), 0644), 0);
        const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(sock >= 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray socketPath = folder.bytePath("socket.png");
        QVERIFY(size_t(socketPath.size()) < sizeof(address.sun_path));
        std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
        QCOMPARE(::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
        ::close(sock);

        QCOMPARE(listAll(folder), (QStringList{u"file.png"_s, u"tofile.png"_s}));
    }

    void keepsNamesThatAreNotUtf8()
    {
        Folder folder;
        QVERIFY(folder.addFiles({u"a.png"_s, u"c.png"_s}));
        QVERIFY(folder.addUndecodable("b\xff.png"));
        QVERIFY(folder.addUndecodable("b\xfe.png"));
        QVERIFY(folder.addUndecodable("caf\xe9.png"));
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression(u"^3 file name.*"_s + QRegularExpression::escape(folder.path())));
        const QStringList names = listAll(folder);
        const QString stoodIn = QFile::decodeName("b\xff.png");
        QCOMPARE(stoodIn, QFile::decodeName("b\xfe.png"));
        QCOMPARE(names, (QStringList{u"a.png"_s, stoodIn, stoodIn, u"c.png"_s,
                                     QFile::decodeName("caf\xe9.png")}));
    }

    void listsNothingForAFolderItCannotRead_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("missing") << u"nope/"_s;
        QTest::newRow("a file, not a folder") << u"f.png/"_s;
        QTest::newRow("a path through a file") << u"f.png/sub/"_s;
    }
    void listsNothingForAFolderItCannotRead()
    {
        QFETCH(QString, relative);
        Folder folder;
        QVERIFY(folder.addFiles({u"f.png"_s}));
        QCOMPARE(FileListing::ListFiles(u"*.*"_s, folder.path() + relative), QStringList{});
    }

    void listsNothingForAFolderWithoutReadPermission()
    {
        Folder folder;
        QVERIFY(folder.addFolders({u"locked"_s}));
        QVERIFY(folder.addFiles({u"locked/f.png"_s}));
        const QString locked = folder.path() + u"locked/"_s;
        QVERIFY(QFile::setPermissions(locked, {}));
        const auto unlock = qScopeGuard([&locked] {
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        {
            const WithoutReadOverride closed;
            QVERIFY(closed.ok());
            // The folder is closed to this thread now, whoever runs the test.
            DIR *dir = ::opendir(QFile::encodeName(locked).constData());
            const int error = errno;
            if (dir)
                ::closedir(dir);
            QVERIFY(!dir);
            QCOMPARE(error, EACCES);
            QCOMPARE(FileListing::ListFiles(u"*.*"_s, locked), QStringList{});
        }
        // Opened again, it lists: the empty list came from the permission.
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        QCOMPARE(FileListing::ListFiles(u"*.*"_s, locked), QStringList{u"f.png"_s});
    }

    void readsTheFolderInAnyOfItsSpellings_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("backslash") << u"\\"_s;
        QTest::newRow("no separator") << QString();
    }
    void readsTheFolderInAnyOfItsSpellings()
    {
        QFETCH(QString, ending);
        Folder folder;
        QVERIFY(folder.addFiles({u"p.png"_s}));
        QString path = folder.path();
        path.chop(1);
        QCOMPARE(FileListing::ListFiles(u"*.*"_s, path + ending), QStringList{u"p.png"_s});
    }

    void readsTheProgramFolderWhenNoneIsGiven()
    {
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QCOMPARE(FileListing::ListFiles(self, QString()), QStringList{self});
    }
};

QTEST_GUILESS_MAIN(TestFileListing)
#include "tst_filelisting.moc"
