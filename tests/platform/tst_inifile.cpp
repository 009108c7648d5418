#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray cp932(const QString &text)
{
    QStringEncoder encoder("windows-31j");
    QByteArray bytes = encoder(text);
    Q_ASSERT(!encoder.hasError());
    return bytes;
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A file's bytes, or a null array for "no file".
const QByteArray NoFile;

} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void getIni_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("appName");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("defaultText");
        QTest::addColumn<QString>("expected");

        const QByteArray plain = "[Face]\r\nHair=h07\r\n";
        QTest::newRow("key present") << plain << u"Face"_s << u"Hair"_s << u"x"_s << u"h07"_s;
        QTest::newRow("missing key, no default")
            << plain << u"Face"_s << u"Eyes"_s << QString() << QString();
        QTest::newRow("missing key, default")
            << plain << u"Face"_s << u"Eyes"_s << u"e00"_s << u"e00"_s;
        QTest::newRow("missing section") << plain << u"Card"_s << u"Hair"_s << u"d"_s << u"d"_s;
        QTest::newRow("missing file") << NoFile << u"Face"_s << u"Hair"_s << u"d"_s << u"d"_s;
        QTest::newRow("default loses trailing blanks")
            << NoFile << u"Face"_s << u"Hair"_s << u"d \t "_s << u"d"_s;
        QTest::newRow("default cut to 254")
            << NoFile << u"Face"_s << u"Hair"_s << QString(300, u'd') << QString(254, u'd');

        QTest::newRow("300 characters cut to 254")
            << "[s]\r\nk=" + QByteArray(300, 'v') + "\r\n"
            << u"s"_s << u"k"_s << QString() << QString(254, u'v');
        // 200 double-byte characters are 400 bytes: 127 of them fill 254.
        QTest::newRow("double-byte characters cut to 254 bytes")
            << cp932(u"[s]\r\nk="_s + QString(200, u'顔')) << u"s"_s << u"k"_s << QString()
            << QString(127, u'顔');
        // After one single byte, the 127th double-byte character would need
        // bytes 254 and 255: it is left out whole.
        QTest::newRow("half a character is left out")
            << cp932(u"[s]\r\nk=a"_s + QString(200, u'顔')) << u"s"_s << u"k"_s << QString()
            << u"a"_s + QString(126, u'顔');

        QTest::newRow("case-insensitive ASCII")
            << plain << u"fACE"_s << u"HAIR"_s << QString() << u"h07"_s;
        QTest::newRow("case-insensitive full-width and Greek")
            << cp932(u"[ＦａｃｅΑ]\r\nｋｅｙ=値\r\n"_s) << u"ｆＡＣＥα"_s << u"ＫＥＹ"_s
            << QString() << u"値"_s;
        QTest::newRow("duplicate key: the first wins")
            << QByteArray("[s]\r\nk=first\r\nK=second\r\n") << u"s"_s << u"k"_s << QString()
            << u"first"_s;
        QTest::newRow("section written twice: the first key wins")
            << QByteArray("[s]\r\na=1\r\n[t]\r\nk=other\r\n[S]\r\nk=later\r\nk=last\r\n") << u"s"_s
            << u"k"_s << QString() << u"later"_s;
        QTest::newRow("blanks around names and value")
            << QByteArray("  [ s ]  \r\n  k  =  v w  \r\n") << u" s"_s << u"k "_s << QString()
            << u"v w"_s;
        QTest::newRow("quotes around the value")
            << QByteArray("[s]\r\nk=\" v \"\r\n") << u"s"_s << u"k"_s << QString() << u" v "_s;
        QTest::newRow("comment is no key")
            << QByteArray("[s]\r\n;k=no\r\n") << u"s"_s << u";k"_s << u"d"_s << u"d"_s;
        // ゾ is 83 5D in code page 932: its second byte is "]".
        QTest::newRow("second byte like ] in a section name")
            << cp932(u"[ゾウ]\r\nk=象\r\n"_s) << u"ゾウ"_s << u"k"_s << QString() << u"象"_s;
        QTest::newRow("name ends at a NUL")
            << plain << u"Face\0x"_s << u"Hair\0y"_s << QString() << u"h07"_s;
    }
    void getIni()
    {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(u"settings.ini"_s);
        if (!file.isNull())
            QVERIFY(writeBytes(path, file));

        IniFile ini;
        ini.setIniFile(path);
        QFETCH(QString, appName);
        QFETCH(QString, key);
        QFETCH(QString, defaultText);
        QTEST(ini.GetIni(appName, key, defaultText), "expected");
        // With no path nothing is read: the default comes back whatever the file holds.
        ini.setIniFile(QString());
        QCOMPARE(ini.GetIni(appName, key, u"none"_s), u"none"_s);
    }

    void setIni_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("appName");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("after"); // equal to before: nothing written

        QTest::newRow("creates the file")
            << NoFile << u"s"_s << u"k"_s << u"v"_s << QByteArray("[s]\r\nk=v\r\n");
        QTest::newRow("code page 932 in a new file")
            << NoFile << u"顔"_s << u"髪"_s << u"～ソ表"_s << cp932(u"[顔]\r\n髪=～ソ表\r\n"_s);
        const QByteArray commented = "; top\r\n[A]\r\nx=1\r\n; note\r\n  Key = old ; kept?\r\n"
                                     "junk line\r\n\r\n[B]\r\ny=2\r\n";
        QTest::newRow("replaces one line, keeps comments and order")
            << commented << u"a"_s << u"KEY"_s << u"new"_s
            << QByteArray("; top\r\n[A]\r\nx=1\r\n; note\r\n  Key=new\r\njunk line\r\n\r\n"
                          "[B]\r\ny=2\r\n");
        QTest::newRow("new key after the last key of its section")
            << commented << u"A"_s << u"z"_s << u""_s
            << QByteArray("; top\r\n[A]\r\nx=1\r\n; note\r\n  Key = old ; kept?\r\nz=\r\n"
                          "junk line\r\n\r\n[B]\r\ny=2\r\n");
        QTest::newRow("new section at the end, the file's own line breaks")
            << QByteArray("[A]\nx=1") << u"s"_s << u"k"_s << u"v"_s
            << QByteArray("[A]\nx=1\n[s]\nk=v\n");
        QTest::newRow("first duplicate replaced")
            << QByteArray("[s]\r\nk=1\r\n[t]\r\n[S]\r\nk=2\r\n") << u"S"_s << u"K"_s << u"v"_s
            << QByteArray("[s]\r\nk=v\r\n[t]\r\n[S]\r\nk=2\r\n");
        QTest::newRow("key in the second of two sections")
            << QByteArray("[s]\r\na=1\r\n[S]\r\nk=2\r\n") << u"s"_s << u"k"_s << u"v"_s
            << QByteArray("[s]\r\na=1\r\n[S]\r\nk=v\r\n");

        const QByteArray kept = "[s]\r\nk=old\r\n";
        QTest::newRow("refused: line break in the value")
            << kept << u"s"_s << u"k"_s << u"a\r\nx=evil"_s << kept;
        QTest::newRow("refused: = in the key") << kept << u"s"_s << u"k=x"_s << u"v"_s << kept;
        QTest::newRow("refused: ] in the section") << kept << u"s]"_s << u"k"_s << u"v"_s << kept;
        QTest::newRow("refused: empty key") << kept << u"s"_s << u" "_s << u"v"_s << kept;
        // U+301C, the wave dash Linux input gives, is not in code page 932.
        QTest::newRow("refused: text outside code page 932")
            << kept << u"s"_s << u"k"_s << u"〜"_s << kept;
        // The parser reads the text after a lone "[", up to the next "]" even
        // on a later line, as a section name: a section added after it would
        // not be found.
        const QByteArray loneBracket = "[s]\r\nk=old\r\n[\r\n";
        QTest::newRow("refused: a new section after a lone [")
            << loneBracket << u"t"_s << u"k"_s << u"v"_s << loneBracket;
        // 0x8790 is ≒ in the NEC row, which code page 932 writes as 0x81E0.
        QTest::newRow("refused: a character by its second code")
            << QByteArray("[s]\r\nk=old\r\nn=\x87\x90\r\n") << u"s"_s << u"k"_s << u"v"_s
            << QByteArray("[s]\r\nk=old\r\nn=\x87\x90\r\n");
        // Reading ends at a NUL: writing its line would bring x to light.
        const QByteArray withNul("[s]\r\nk=old\0\r\nx=1\r\n", 18);
        QTest::newRow("refused: a NUL in the file")
            << withNul << u"s"_s << u"k"_s << u"v"_s << withNul;
        QTest::newRow("refused: the file is not code page 932")
            << QByteArray("[s]\r\nk=\x85\x40\r\n") << u"s"_s << u"k"_s << u"v"_s
            << QByteArray("[s]\r\nk=\x85\x40\r\n");
    }
    void setIni()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(u"settings.ini"_s);
        if (!before.isNull())
            QVERIFY(writeBytes(path, before));

        IniFile ini;
        ini.setIniFile(path);
        QFETCH(QString, appName);
        QFETCH(QString, key);
        QFETCH(QString, text);
        QCOMPARE(ini.SetIni(appName, key, text), QString());
        QCOMPARE(readBytes(path), after);
        if (after != before)
            QCOMPARE(ini.GetIni(appName, key, u"unread"_s), text);
    }

    // The write fails, "" comes back all the same and nothing is left behind.
    void setIniUnwritable_data()
    {
        QTest::addColumn<QString>("path"); // inside the test's folder; "" for no path
        QTest::newRow("no path") << QString();
        QTest::newRow("missing folder") << u"missing/settings.ini"_s;
        QTest::newRow("a file in place of the folder") << u"file/settings.ini"_s;
        QTest::newRow("a folder at the path") << u"folder"_s;
    }
    void setIniUnwritable()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(writeBytes(dir.filePath(u"file"_s), "[s]\r\nk=old\r\n"));
        QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));

        QFETCH(QString, path);
        IniFile ini;
        ini.setIniFile(path.isEmpty() ? QString() : dir.filePath(path));
        const QString result = ini.SetIni(u"s"_s, u"k"_s, u"v"_s);
        QDir::setCurrent(previous);
        QCOMPARE(result, QString());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 (QStringList{u"file"_s, u"folder"_s}));
        QCOMPARE(readBytes(dir.filePath(u"file"_s)), QByteArray("[s]\r\nk=old\r\n"));
        QVERIFY(QDir(dir.filePath(u"folder"_s)).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
