#include "document/FaceFile.h"

#include <QStringEncoder>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(FaceParts)

namespace {

QByteArray sjis(const QString &text)
{
    QStringEncoder encoder("windows-31j");
    QByteArray bytes = encoder.encode(text);
    Q_ASSERT(!encoder.hasError());
    return bytes;
}

FaceParts parts(const QString &outline, const QString &mouth, const QString &hair,
                const QString &eyes)
{
    return {outline, mouth, hair, eyes};
}

FaceParts exampleFiles()
{
    return parts(u"顔\\f03.bmp"_s, u"口\\m01.bmp"_s, u"髪\\h07.bmp"_s, u"目\\e12.bmp"_s);
}

FaceParts exampleCodes()
{
    return parts(u"03"_s, u"01"_s, u"07"_s, u"12"_s);
}

} // namespace

class TestFaceFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesTheExampleFaceByteForByte()
    {
        const FaceFile::WriteResult result = FaceFile::write(exampleFiles(), exampleCodes());
        QVERIFY(result.error.isEmpty());
        const QByteArray expected =
            sjis(u"\"顔\\f03.bmp\",\"髪\\h07.bmp\",\"目\\e12.bmp\",\"口\\m01.bmp\",\"\"\r\n"
                 u"\"03\",\"07\",\"12\",\"01\",\"\"\r\n"_s);
        QCOMPARE(result.bytes, expected);
        // 顔 in code page 932 is 8A E7: the file really is in that code page.
        QVERIFY(result.bytes.startsWith("\"\x8a\xe7\\f03.bmp\""));
    }

    void writesAnEmptyFaceAsEmptyFields()
    {
        const FaceFile::WriteResult result = FaceFile::write({}, exampleCodes());
        QCOMPARE(result.bytes,
                 QByteArray("\"\",\"\",\"\",\"\",\"\"\r\n\"03\",\"07\",\"12\",\"01\",\"\"\r\n"));
    }

    void readsBackWhatItWrote_data()
    {
        QTest::addColumn<FaceParts>("files");
        QTest::addColumn<FaceParts>("codes");
        QTest::newRow("example") << exampleFiles() << exampleCodes();
        QTest::newRow("empty") << FaceParts{} << FaceParts{};
        QTest::newRow("three-digit code") << parts(u"顔\\a,b.png"_s, {}, u"髪\\h 1.png"_s, {})
                                          << parts(u"100"_s, {}, u"02"_s, {});
        // Code page 932 has no place for these: the file falls back to UTF-8.
        QTest::newRow("accented") << parts(u"顔\\café.png"_s, u"口\\ü.png"_s, {}, {})
                                  << parts(u"00"_s, u"01"_s, {}, {});
        QTest::newRow("wave dash") << parts(u"顔\\〜.png"_s, {}, {}, {}) << FaceParts{};
    }
    void readsBackWhatItWrote()
    {
        QFETCH(FaceParts, files);
        QFETCH(FaceParts, codes);
        const FaceFile::WriteResult written = FaceFile::write(files, codes);
        QVERIFY(written.error.isEmpty());
        const FaceFile::ReadResult read = FaceFile::read(written.bytes);
        QVERIFY(read.ok);
        QCOMPARE(read.PartFiles, files);
        QCOMPARE(read.PartCodes, codes);
    }

    void fallsBackToUtf8OnlyWhenItMust()
    {
        const QByteArray accented = FaceFile::write(parts(u"顔\\café.png"_s, {}, {}, {}), {}).bytes;
        QVERIFY(accented.startsWith("\"\xe9\xa1\x94\\caf\xc3\xa9.png\""));
        const QByteArray japanese = FaceFile::write(exampleFiles(), {}).bytes;
        QVERIFY(!japanese.contains("\xe9\xa1\x94"));
        // 縺０ is E3 81 82 4F in code page 932, which is also valid UTF-8 (あO):
        // written that way it would come back as other text.
        const FaceParts ambiguous = parts(u"縺０.png"_s, {}, {}, {});
        const QByteArray bytes = FaceFile::write(ambiguous, {}).bytes;
        QVERIFY(bytes.contains("\xe7\xb8\xba"));
        QCOMPARE(FaceFile::read(bytes).PartFiles, ambiguous);
    }

    void refusesTextsTheFormatCannotHold_data()
    {
        QTest::addColumn<FaceParts>("files");
        QTest::addColumn<FaceParts>("codes");
        QTest::newRow("quote in a file name")
            << parts(u"顔\\a\"b.png"_s, {}, {}, {}) << FaceParts{};
        QTest::newRow("line end in a file name")
            << parts({}, {}, u"髪\\a\nb.png"_s, {}) << FaceParts{};
        QTest::newRow("CR in a code") << FaceParts{} << parts({}, {}, {}, u"1\r"_s);
    }
    void refusesTextsTheFormatCannotHold()
    {
        QFETCH(FaceParts, files);
        QFETCH(FaceParts, codes);
        const FaceFile::WriteResult result = FaceFile::write(files, codes);
        QVERIFY(!result.error.isEmpty());
        QVERIFY(result.bytes.isEmpty());
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<FaceParts>("files");
        QTest::addColumn<FaceParts>("codes");

        const FaceParts files = exampleFiles();
        const FaceParts codes = exampleCodes();
        const QString line1 =
            u"\"顔\\f03.bmp\",\"髪\\h07.bmp\",\"目\\e12.bmp\",\"口\\m01.bmp\",\"\""_s;
        const QString line2 = u"\"03\",\"07\",\"12\",\"01\",\"\""_s;

        QTest::newRow("code page 932, CR LF")
            << sjis(line1 + u"\r\n"_s + line2 + u"\r\n"_s) << true << files << codes;
        QTest::newRow("UTF-8, LF only")
            << (line1 + u'\n' + line2 + u'\n').toUtf8() << true << files << codes;
        QTest::newRow("UTF-8 with byte-order mark")
            << "\xef\xbb\xbf" + (line1 + u"\r\n"_s + line2).toUtf8() << true << files << codes;
        QTest::newRow("lone CR line ends")
            << sjis(line1 + u'\r' + line2 + u'\r') << true << files << codes;
        QTest::newRow("no line end after the last field")
            << sjis(line1 + u"\r\n"_s + line2) << true << files << codes;
        QTest::newRow("ten fields on one line")
            << sjis(line1 + u',' + line2) << true << files << codes;
        QTest::newRow("one field a line")
            << sjis(u"\"顔\\f03.bmp\"\r\n\"髪\\h07.bmp\"\r\n\"目\\e12.bmp\"\r\n\"口\\m01.bmp\"\r\n"
                    u"\"\"\r\n\"03\"\r\n\"07\"\r\n\"12\"\r\n\"01\"\r\n\"\"\r\n"_s)
            << true << files << codes;
        QTest::newRow("more than ten fields")
            << sjis(line1 + u"\r\n"_s + line2 + u"\r\n\"x\",\"y\"\r\nmore\r\n"_s) << true << files
            << codes;
        QTest::newRow("unquoted fields, blanks around them")
            << QByteArray(" a.png , b.png,c.png,d.png,\r\n03 ,07, 12,01,\r\n") << true
            << parts(u"a.png"_s, u"d.png"_s, u"b.png"_s, u"c.png"_s)
            << parts(u"03"_s, u"01"_s, u"07"_s, u"12"_s);
        QTest::newRow("quoted fields keep their blanks and commas")
            << QByteArray("\" a,b \",\"\",\"\",\"\",\"\"\r\n\"1\",\"\",\"\",\"\",\"\"\r\n") << true
            << parts(u" a,b "_s, {}, {}, {}) << parts(u"1"_s, {}, {}, {});
        QTest::newRow("text after a closing quote is dropped")
            << QByteArray("\"a\"x,\"\",\"\",\"\",\"\"\r\n\"1\"  ,\"\",\"\",\"\",\"\"\r\n") << true
            << parts(u"a"_s, {}, {}, {}) << parts(u"1"_s, {}, {}, {});
        QTest::newRow("a last comma promises an empty tenth field")
            << QByteArray("a,b,c,d,e\r\nf,g,h,i,") << true << parts(u"a"_s, u"d"_s, u"b"_s, u"c"_s)
            << parts(u"f"_s, u"i"_s, u"g"_s, u"h"_s);
        QTest::newRow("ten empty lines")
            << QByteArray(10, '\n') << true << FaceParts{} << FaceParts{};

        QTest::newRow("four fields a line")
            << sjis(u"\"顔\\f03.bmp\",\"髪\\h07.bmp\",\"目\\e12.bmp\",\"口\\m01.bmp\"\r\n"
                    u"\"03\",\"07\",\"12\",\"01\"\r\n"_s)
            << false << FaceParts{} << FaceParts{};
        QTest::newRow("empty file") << QByteArray() << false << FaceParts{} << FaceParts{};
        QTest::newRow("one line") << sjis(line1 + u"\r\n"_s) << false << FaceParts{} << FaceParts{};
        QTest::newRow("cut off inside the tenth field")
            << sjis(line1 + u"\r\n\"03\",\"07\",\"12\",\"01\",\"x"_s) << true << files << codes;
        QTest::newRow("cut off before the tenth field")
            << sjis(line1 + u"\r\n\"03\",\"07\",\"12\",\"01\""_s) << false << FaceParts{}
            << FaceParts{};
        QTest::newRow("nine empty lines")
            << QByteArray(9, '\n') << false << FaceParts{} << FaceParts{};
    }
    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        const FaceFile::ReadResult result = FaceFile::read(bytes);
        QCOMPARE(result.ok, ok);
        if (!ok)
            return;
        QTEST(result.PartFiles, "files");
        QTEST(result.PartCodes, "codes");
    }

    void readsInvalidBytesWithoutFailing()
    {
        // Neither UTF-8 nor complete code page 932: still ten fields.
        const FaceFile::ReadResult result =
            FaceFile::read("\"\x81\",\"\xff\xfe\",3,4,5\n6,7,8,9,\x82");
        QVERIFY(result.ok);
        QCOMPARE(result.PartCodes.Outline, u"6"_s);
        QCOMPARE(result.PartCodes.Mouth, u"9"_s);
        // What could not be read says so, and survives a save unchanged.
        QCOMPARE(result.PartFiles.Outline, QString(QChar::ReplacementCharacter));
        const FaceFile::ReadResult again =
            FaceFile::read(FaceFile::write(result.PartFiles, result.PartCodes).bytes);
        QCOMPARE(again.PartFiles, result.PartFiles);
    }
};

QTEST_APPLESS_MAIN(TestFaceFile)
#include "tst_facefile.moc"
