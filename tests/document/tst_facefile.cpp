#include "document/FaceFile.h"

#include <QBuffer>
#include <QImage>
#include <QStringEncoder>
#include <QTest>

using namespace Qt::StringLiterals;
using FaceFile::Error;
using FaceFile::Record;

Q_DECLARE_METATYPE(FaceParts)
Q_DECLARE_METATYPE(FaceFile::Error)
Q_DECLARE_METATYPE(FaceFile::Field)

namespace {

const QString kEmptyLine = u"\"\",\"\",\"\",\"\",\"\"\r\n"_s;

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

// The bytes of a literal, NUL bytes inside it included.
template <size_t N> QByteArray rawBytes(const char (&literal)[N])
{
    return QByteArray(literal, qsizetype(N - 1));
}

FaceParts exampleFiles()
{
    return parts(u"顔\\f03.bmp"_s, u"口\\m01.bmp"_s, u"髪\\h07.bmp"_s, u"目\\e12.bmp"_s);
}

FaceParts exampleCodes()
{
    return parts(u"03"_s, u"01"_s, u"07"_s, u"12"_s);
}

FaceFile::Field field(Record record, std::optional<Category> category)
{
    return {record, category};
}

// A real picture's bytes, as a file renamed to .kgm would hold them.
QByteArray pngBytes()
{
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    Q_ASSERT(bytes.startsWith("\x89PNG"));
    return bytes;
}

} // namespace

class TestFaceFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesTheExampleFaceByteForByte()
    {
        const FaceFile::WriteResult result = FaceFile::write(exampleFiles(), exampleCodes());
        QVERIFY(result.ok());
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
        QTest::newRow("read back as a replacement character")
            << parts(u"顔\\\uFFFD"_s, {}, {}, {}) << FaceParts{};
        // 縺０ in code page 932 is E3 81 82 4F, UTF-8 for あO, and outweighs
        // the bytes of 髪 that are not UTF-8: as code page 932 the file would
        // read back as UTF-8.
        QTest::newRow("code page 932 that reads as UTF-8 beside text that does not")
            << parts(u"縺０"_s, {}, u"髪\\h"_s, {}) << FaceParts{};
        // U+FEFF is a byte-order mark only at the start of the file.
        QTest::newRow("byte-order mark character opening a field")
            << parts({}, {}, {}, u"\uFEFF目.png"_s) << parts(u"\uFEFF"_s, {}, {}, {});
    }
    void readsBackWhatItWrote()
    {
        QFETCH(FaceParts, files);
        QFETCH(FaceParts, codes);
        const FaceFile::WriteResult written = FaceFile::write(files, codes);
        QVERIFY(written.ok());
        const FaceFile::ReadResult read = FaceFile::read(written.bytes);
        QVERIFY(read.ok());
        QCOMPARE(read.PartFiles, files);
        QCOMPARE(read.PartCodes, codes);
    }

    void fallsBackToUtf8OnlyWhenItMust()
    {
        const QByteArray accented = FaceFile::write(parts(u"顔\\café.png"_s, {}, {}, {}), {}).bytes;
        QVERIFY(accented.startsWith("\xef\xbb\xbf\"\xe9\xa1\x94\\caf\xc3\xa9.png\""));
        const QByteArray japanese = FaceFile::write(exampleFiles(), {}).bytes;
        QVERIFY(!japanese.contains("\xe9\xa1\x94"));
        // 縺０ is E3 81 82 4F in code page 932, which is also valid UTF-8 (あO):
        // it stays code page 932, as Windows would write it.
        const FaceParts ambiguous = parts(u"縺０.png"_s, {}, {}, {});
        const QByteArray bytes = FaceFile::write(ambiguous, {}).bytes;
        QCOMPARE(bytes, sjis(u"\"縺０.png\",\"\",\"\",\"\",\"\"\r\n"_s + kEmptyLine));
        QCOMPARE(FaceFile::read(bytes).PartFiles, ambiguous);
    }

    // A file in the form the program writes, read and saved unchanged,
    // keeps its bytes: made on Windows with half-width katakana, in UTF-8
    // with its mark, or beyond what the readers read.
    void savesAFileAsItWasRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<FaceParts>("files");
        const QString katakana = u"髪\\ﾃｽﾄｷﾃｽﾄｷ.png"_s;
        QTest::newRow("code page 932, half-width katakana that is also UTF-8")
            << sjis(u"\"\",\""_s + katakana + u"\",\"\",\"\",\"\"\r\n"_s + kEmptyLine)
            << parts({}, {}, katakana, {});
        QTest::newRow("UTF-8 with its mark")
            << (u"\uFEFF\"顔\\café.png\",\"\",\"\",\"\",\"\"\r\n"_s + kEmptyLine).toUtf8()
            << parts(u"顔\\café.png"_s, {}, {}, {});
        QTest::newRow("more than the readers read: not written")
            << QByteArray() << parts(QString(FaceFile::MaxFileBytes, u'é'), {}, {}, {});
    }
    void savesAFileAsItWasRead()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(FaceParts, files);
        const FaceFile::WriteResult written = FaceFile::write(files, {});
        QCOMPARE(written.bytes, bytes);
        QCOMPARE(written.reason.error, bytes.isEmpty() ? Error::TooLong : Error::None);
        if (bytes.isEmpty())
            return;
        const FaceFile::ReadResult read = FaceFile::read(bytes);
        QCOMPARE(read.PartFiles, files);
    }

    void refusesTextsTheFormatCannotHold_data()
    {
        QTest::addColumn<FaceParts>("files");
        QTest::addColumn<FaceParts>("codes");
        QTest::addColumn<Error>("error");
        QTest::addColumn<FaceFile::Field>("field");
        QTest::newRow("quote in a file name")
            << parts(u"顔\\a\"b.png"_s, {}, {}, {}) << FaceParts{} << Error::QuoteOrLineEnd
            << field(Record::PartFiles, Category::Outline);
        QTest::newRow("line end in a file name")
            << parts({}, {}, u"髪\\a\nb.png"_s, {}) << FaceParts{} << Error::QuoteOrLineEnd
            << field(Record::PartFiles, Category::Hair);
        QTest::newRow("CR in a code")
            << FaceParts{} << parts({}, {}, {}, u"1\r"_s) << Error::QuoteOrLineEnd
            << field(Record::PartCodes, Category::Eyes);
        QTest::newRow("the first in the file's order: hair before mouth")
            << parts({}, u"\""_s, u"\"a"_s, {}) << FaceParts{} << Error::QuoteOrLineEnd
            << field(Record::PartFiles, Category::Hair);
        QTest::newRow("tab in a file name")
            << parts({}, u"口\\a\tb.png"_s, {}, {}) << FaceParts{} << Error::ControlCharacter
            << field(Record::PartFiles, Category::Mouth);
        QTest::newRow("NUL in a code")
            << FaceParts{} << parts(QString(QChar(0)), {}, {}, {}) << Error::ControlCharacter
            << field(Record::PartCodes, Category::Outline);
        QTest::newRow("C1 control")
            << parts(u"a\u0085.png"_s, {}, {}, {}) << FaceParts{} << Error::ControlCharacter
            << field(Record::PartFiles, Category::Outline);
        QTest::newRow("half a surrogate pair")
            << parts({}, {}, {}, u"目\\"_s + QChar(0xd840)) << FaceParts{} << Error::Unencodable
            << field(Record::PartFiles, Category::Eyes);
    }
    void refusesTextsTheFormatCannotHold()
    {
        QFETCH(FaceParts, files);
        QFETCH(FaceParts, codes);
        QFETCH(FaceFile::Field, field);
        const FaceFile::WriteResult result = FaceFile::write(files, codes);
        QTEST(result.reason.error, "error");
        QCOMPARE(result.reason.field, field);
        QCOMPARE(
            result.reason.text,
            Categories::field(field.record == Record::PartFiles ? files : codes, *field.category));
        QVERIFY(result.bytes.isEmpty());
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Error>("error");
        QTest::addColumn<FaceFile::Field>("field"); // the field a refusal names
        QTest::addColumn<FaceParts>("files");
        QTest::addColumn<FaceParts>("codes");

        const FaceParts files = exampleFiles();
        const FaceParts codes = exampleCodes();
        const FaceFile::Field none;
        const QString line1 =
            u"\"顔\\f03.bmp\",\"髪\\h07.bmp\",\"目\\e12.bmp\",\"口\\m01.bmp\",\"\""_s;
        const QString line2 = u"\"03\",\"07\",\"12\",\"01\",\"\""_s;
        const auto accepted = [&](const char *name, const QByteArray &bytes) {
            QTest::newRow(name) << bytes << Error::None << none << files << codes;
        };
        const auto refused = [](const char *name, const QByteArray &bytes, Error error,
                                const FaceFile::Field &at) {
            QTest::newRow(name) << bytes << error << at << FaceParts{} << FaceParts{};
        };

        accepted("code page 932, CR LF", sjis(line1 + u"\r\n"_s + line2 + u"\r\n"_s));
        accepted("UTF-8, LF only", "\xef\xbb\xbf" + (line1 + u'\n' + line2 + u'\n').toUtf8());
        accepted("UTF-8 with byte-order mark",
                 "\xef\xbb\xbf" + (line1 + u"\r\n"_s + line2).toUtf8());
        accepted("lone CR line ends", sjis(line1 + u'\r' + line2 + u'\r'));
        accepted("no line end after the last field", sjis(line1 + u"\r\n"_s + line2));
        accepted("ten fields on one line", sjis(line1 + u',' + line2));
        accepted(
            "one field a line",
            sjis(u"\"顔\\f03.bmp\"\r\n\"髪\\h07.bmp\"\r\n\"目\\e12.bmp\"\r\n\"口\\m01.bmp\"\r\n"
                 u"\"\"\r\n\"03\"\r\n\"07\"\r\n\"12\"\r\n\"01\"\r\n\"\"\r\n"_s));
        accepted("more than ten fields, then a picture",
                 sjis(line1 + u"\r\n"_s + line2 + u"\r\n\"x\",\"y\"\r\nmore\r\n"_s) + pngBytes());
        accepted("cut off inside the tenth field",
                 sjis(line1 + u"\r\n\"03\",\"07\",\"12\",\"01\",\"x"_s));
        QTest::newRow("unquoted fields, blanks and tabs around them")
            << QByteArray(" a.png\t, b.png,c.png,d.png,\r\n03 ,07,\t12,01,\r\n") << Error::None
            << none << parts(u"a.png"_s, u"d.png"_s, u"b.png"_s, u"c.png"_s)
            << parts(u"03"_s, u"01"_s, u"07"_s, u"12"_s);
        QTest::newRow("quoted fields keep their blanks and commas")
            << QByteArray("\" a,b \",\"\",\"\",\"\",\"\"\r\n\"1\",\"\",\"\",\"\",\"\"\r\n")
            << Error::None << none << parts(u" a,b "_s, {}, {}, {}) << parts(u"1"_s, {}, {}, {});
        QTest::newRow("text after a closing quote is dropped")
            << QByteArray("\"a\"x,\"\",\"\",\"\",\"\"\r\n\"1\" \t,\"\",\"\",\"\",\"\"\r\n")
            << Error::None << none << parts(u"a"_s, {}, {}, {}) << parts(u"1"_s, {}, {}, {});
        QTest::newRow("a last comma promises an empty tenth field")
            << QByteArray("a,b,c,d,e\r\nf,g,h,i,") << Error::None << none
            << parts(u"a"_s, u"d"_s, u"b"_s, u"c"_s) << parts(u"f"_s, u"i"_s, u"g"_s, u"h"_s);
        QTest::newRow("ten empty lines")
            << QByteArray(10, '\n') << Error::None << none << FaceParts{} << FaceParts{};

        // The encoding comes from the ten fields, and a bad byte damages its
        // own field only.
        const QByteArray utf8 = (line1 + u"\r\n"_s + line2 + u"\r\n"_s).toUtf8();
        accepted("UTF-8, a bad byte after the tenth field", "\xef\xbb\xbf" + utf8 + "\xff\r\n");
        accepted("UTF-8 cut inside a character in the tenth field",
                 "\xef\xbb\xbf" +
                     (line1 + u"\r\n\"03\",\"07\",\"12\",\"01\",\"顔"_s).toUtf8().chopped(1));
        // Without its mark only what cannot be code page 932 is UTF-8: あ is
        // E3 81 82, whose 82 is a lead byte without its second byte there.
        QTest::newRow("UTF-8 without its mark that is no code page 932")
            << QByteArray(utf8).replace("f03", "\xe3\x81\x82") << Error::None << none
            << parts(u"顔\\あ.bmp"_s, files.Mouth, files.Hair, files.Eyes) << codes;
        QTest::newRow("UTF-8 with its mark, a bad byte inside one field")
            << "\xef\xbb\xbf" + QByteArray(utf8).replace("\\h07", "\xff\\h07") << Error::None
            << none << parts(files.Outline, files.Mouth, u"髪\uFFFD\\h07.bmp"_s, files.Eyes)
            << codes;
        QTest::newRow("code page 932, a lead byte alone at a field's end")
            << sjis(line1 + u"\r\n"_s + line2).replace("h07.bmp", "h07.bmp\x81") << Error::None
            << none << parts(files.Outline, files.Mouth, u"髪\\h07.bmp\uFFFD"_s, files.Eyes)
            << codes;
        QTest::newRow("a byte-order mark makes it UTF-8 whatever follows")
            << QByteArray("\xef\xbb\xbf\"\x8a\xe7\",,,,\r\n,,,,") << Error::None << none
            << parts(u"\uFFFD\uFFFD"_s, {}, {}, {}) << FaceParts{};

        refused("four fields a line",
                sjis(u"\"顔\\f03.bmp\",\"髪\\h07.bmp\",\"目\\e12.bmp\",\"口\\m01.bmp\"\r\n"
                     u"\"03\",\"07\",\"12\",\"01\"\r\n"_s),
                Error::TooFewFields, field(Record::PartCodes, Category::Mouth));
        refused("empty file", QByteArray(), Error::TooFewFields,
                field(Record::PartFiles, Category::Outline));
        refused("one line", sjis(line1 + u"\r\n"_s), Error::TooFewFields,
                field(Record::PartCodes, Category::Outline));
        refused("cut off before the tenth field",
                sjis(line1 + u"\r\n\"03\",\"07\",\"12\",\"01\""_s), Error::TooFewFields,
                field(Record::PartCodes, std::nullopt));
        refused("nine empty lines", QByteArray(9, '\n'), Error::TooFewFields,
                field(Record::PartCodes, std::nullopt));

        // Control characters: the bytes are no face file.
        refused("a PNG picture", pngBytes(), Error::ControlCharacter,
                field(Record::PartFiles, Category::Hair));
        refused("NUL in a quoted field",
                sjis(line1 + u"\r\n"_s + line2).replace("e1", rawBytes("e\0")),
                Error::ControlCharacter, field(Record::PartFiles, Category::Eyes));
        refused("NUL in an unquoted field", rawBytes("a,b,c,d,e\r\nf,g\0h,i,j"),
                Error::ControlCharacter, field(Record::PartCodes, Category::Hair));
        refused("escape in a code", sjis(line1 + u"\r\n\"03\",\"07\",\"12\",\"0\x1b\",\"\""_s),
                Error::ControlCharacter, field(Record::PartCodes, Category::Mouth));
        refused("DEL in the fifth field", sjis(line1.chopped(1) + u"\x7f\"\r\n"_s + line2),
                Error::ControlCharacter, field(Record::PartFiles, std::nullopt));
        refused("tab inside a field", QByteArray("a\tb,b,c,d,e\r\nf,g,h,i,j"),
                Error::ControlCharacter, field(Record::PartFiles, Category::Outline));
        refused("a quoted field running over a line end",
                sjis(u"\"顔\\f03.bmp\r\n"_s + line2 + u"\r\n"_s + line2), Error::ControlCharacter,
                field(Record::PartFiles, Category::Outline));
        refused("control byte after a closing quote",
                sjis(line1 + u"\r\n\"03\"\x01,\"07\",\"12\",\"01\",\"\""_s),
                Error::ControlCharacter, field(Record::PartCodes, Category::Outline));
        // Code page 932 writes U+001A as 0x7F and reads 0x7F back as U+001A,
        // the stand-in for bytes it cannot read: a file holding it would not
        // come back the same once saved.
        refused("SUB in UTF-8", (line2 + u"\r\n\"\x1a\",,,,"_s).toUtf8(), Error::ControlCharacter,
                field(Record::PartCodes, Category::Outline));
        refused("C1 control in UTF-8",
                (line1 + u"\r\n\"03\u0085\",\"07\",\"12\",\"01\",\"\""_s).toUtf8(),
                Error::ControlCharacter, field(Record::PartCodes, Category::Outline));
    }
    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Error, error);
        const FaceFile::ReadResult result = FaceFile::read(bytes);
        QCOMPARE(result.reason.error, error);
        if (error != Error::None) {
            QTEST(result.reason.field, "field");
            return;
        }
        QTEST(result.PartFiles, "files");
        QTEST(result.PartCodes, "codes");
    }

    void readsInvalidBytesWithoutFailing()
    {
        // Neither UTF-8 nor complete code page 932: still ten fields.
        const FaceFile::ReadResult result =
            FaceFile::read("\"\x81\",\"\xff\xfe\",3,4,5\n6,7,8,9,\x82");
        QVERIFY(result.ok());
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
