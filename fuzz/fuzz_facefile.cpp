// Feeds arbitrary bytes to the face file reader, and arbitrary texts to the
// writer. Built with clang's libFuzzer when KAOGUMI_FUZZ is on; otherwise a
// small driver runs a fixed number of generated inputs so the same checks run
// with every test run. The properties:
//  - whatever the reader accepts survives a write and a second read
//    unchanged, or the writer refuses it because a field held a quote;
//  - whatever the writer writes reads back as the same face, and what it
//    refuses it refuses for a reason the named text really has;
//  - on written bytes: what follows the tenth field changes nothing, a bad
//    byte damages its own field only, a control byte in a field or a missing
//    line is refused, naming the field.
//  - the face code of a face whose codes are two digits each, typed back
//    into the face code entry, gives the same four codes.
#include "document/FaceCode.h"
#include "document/FaceCodeRules.h"
#include "document/FaceFile.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const QString kReplacement(QChar::ReplacementCharacter);

[[noreturn]] void fail(const char *what, const uint8_t *data, size_t size)
{
    std::fprintf(stderr, "face file: %s; input:", what);
    for (size_t i = 0; i < size; ++i)
        std::fprintf(stderr, " %02x", data[i]);
    std::fprintf(stderr, "\n");
    std::abort();
}

// The fields in the file's order; the fifth of each line belongs to no category.
FaceFile::Field fieldAt(int index)
{
    FaceFile::Field field;
    field.record = index < 5 ? FaceFile::Record::PartFiles : FaceFile::Record::PartCodes;
    if (index % 5 < 4)
        field.category = Categories::FileColumns[size_t(index % 5)];
    return field;
}

QString textOf(const FaceParts &files, const FaceParts &codes, const FaceFile::Field &field)
{
    if (!field.category)
        return {};
    return Categories::field(field.record == FaceFile::Record::PartFiles ? files : codes,
                             *field.category);
}

bool holdsControl(const QString &text)
{
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

bool sameFace(const FaceFile::ReadResult &read, const FaceParts &files, const FaceParts &codes)
{
    return read.ok() && read.PartFiles == files && read.PartCodes == codes;
}

// Where field index (0 to 9) of written bytes opens: written fields are all
// quoted and hold no quote, so its opening quote is quote number 2 * index.
qsizetype openingQuote(const QByteArray &written, int index)
{
    qsizetype at = -1;
    for (int k = 0; k <= 2 * index; ++k)
        at = written.indexOf('"', at + 1);
    return at;
}

// The writer's side: face is what bytes a write gave, files and codes what
// was written.
void checkWritten(const QByteArray &bytes, const FaceParts &files, const FaceParts &codes,
                  const uint8_t *data, size_t size)
{
    if (!sameFace(FaceFile::read(bytes), files, codes))
        fail("written face reads back as another face", data, size);

    const QByteArray tail(reinterpret_cast<const char *>(data), qsizetype(size));
    if (!sameFace(FaceFile::read(bytes + tail), files, codes))
        fail("bytes after the tenth field changed the face", data, size);

    const int index = size > 0 ? int(data[0] % 8) : 0;
    const int fieldIndex = index < 4 ? index : index + 1; // skips the fifth field
    const FaceFile::Field field = fieldAt(fieldIndex);
    const qsizetype open = openingQuote(bytes, fieldIndex);

    FaceParts damagedFiles = files;
    FaceParts damagedCodes = codes;
    QString &damaged = Categories::field(
        field.record == FaceFile::Record::PartFiles ? damagedFiles : damagedCodes, *field.category);
    damaged.prepend(kReplacement);
    if (!sameFace(FaceFile::read(QByteArray(bytes).insert(open + 1, '\xff')), damagedFiles,
                  damagedCodes)) {
        fail("a bad byte damaged more than its own field", data, size);
    }

    const char control = size > 1 ? char(data[1] % 0x21) : '\0';
    const FaceFile::ReadResult refused =
        FaceFile::read(QByteArray(bytes).insert(open + 1, control == 0x20 ? '\x7f' : control));
    if (refused.reason.error != FaceFile::Error::ControlCharacter || refused.reason.field != field)
        fail("a control byte in a field was not refused there", data, size);

    const FaceFile::ReadResult oneLine = FaceFile::read(bytes.left(bytes.indexOf('\n') + 1));
    if (oneLine.reason.error != FaceFile::Error::TooFewFields ||
        oneLine.reason.field != fieldAt(5)) {
        fail("a file of one line was not refused at its sixth field", data, size);
    }
}

// The blanks and tabs that merely surround a field; one inside a text stays.
QString withoutBlanksAround(QString text)
{
    while (text.startsWith(u' ') || text.startsWith(u'\t'))
        text.remove(0, 1);
    while (text.endsWith(u' ') || text.endsWith(u'\t'))
        text.chop(1);
    return text;
}

// Texts for the writer made from the input: decoded as code page 932 (what
// it cannot decode taken as U+FFFD), with two bytes standing for half a
// surrogate pair and a C1 control, split at commas and line ends into the
// eight texts, without blanks and tabs around them. Quotes are left in one input in four only, or
// they would stop most writes.
void splitIntoFace(const QByteArray &bytes, FaceParts &files, FaceParts &codes)
{
    QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    text.replace(QChar(0x1a), QChar::ReplacementCharacter)
        .replace(QChar(0x01), QChar(0xd800))
        .replace(QChar(0x02), QChar(0x85));
    if (!bytes.isEmpty() && bytes.at(0) % 4 != 0)
        text.remove(u'"');
    const QStringList parts = text.split(QRegularExpression(QStringLiteral("[,\\r\\n]")));
    for (int i = 0; i < 8; ++i) {
        const FaceFile::Field field = fieldAt(i < 4 ? i : i + 1);
        Categories::field(field.record == FaceFile::Record::PartFiles ? files : codes,
                          *field.category) =
            i < parts.size() ? withoutBlanksAround(parts.at(i)) : QString();
    }
}

bool twoDigits(const QString &code)
{
    return code.size() == 2 && code.at(0).isDigit() && code.at(0).unicode() < 0x80 &&
           code.at(1).isDigit() && code.at(1).unicode() < 0x80;
}

void checkFaceCode(const FaceParts &codes, const uint8_t *data, size_t size)
{
    if (!twoDigits(codes.Outline) || !twoDigits(codes.Eyes) || !twoDigits(codes.Hair) ||
        !twoDigits(codes.Mouth)) {
        return;
    }
    if (FaceCodeRules::splitFields(FaceCode::compose(codes)) != codes)
        fail("the face code typed back names other codes", data, size);
}

int g_accepted = 0;
int g_written = 0;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    // The reader's side.
    const FaceFile::ReadResult first = FaceFile::read(bytes);
    if (first.ok()) {
        ++g_accepted;
        checkFaceCode(first.PartCodes, data, size);
        const FaceFile::WriteResult written = FaceFile::write(first.PartFiles, first.PartCodes);
        if (written.ok()) {
            checkWritten(written.bytes, first.PartFiles, first.PartCodes, data, size);
        } else if (written.reason.error != FaceFile::Error::QuoteOrLineEnd ||
                   !written.reason.text.contains(u'"')) {
            // Only an unquoted field can hold a quote; nothing else the reader
            // accepts is beyond the writer.
            fail("the writer refused a face the reader accepted", data, size);
        }
    }

    // The writer's side.
    FaceParts files;
    FaceParts codes;
    splitIntoFace(bytes, files, codes);
    const FaceFile::WriteResult written = FaceFile::write(files, codes);
    if (written.ok()) {
        ++g_written;
        checkWritten(written.bytes, files, codes, data, size);
    } else {
        const QString text = textOf(files, codes, written.reason.field);
        const bool quoteOrLineEnd =
            text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n');
        bool right = text == written.reason.text;
        switch (written.reason.error) {
        case FaceFile::Error::QuoteOrLineEnd:
            right = right && quoteOrLineEnd;
            break;
        case FaceFile::Error::ControlCharacter:
            right = right && !quoteOrLineEnd && holdsControl(text);
            break;
        case FaceFile::Error::Unencodable:
            right = right && !quoteOrLineEnd && !holdsControl(text) && !text.isValidUtf16();
            break;
        default:
            right = false;
        }
        if (!right)
            fail("the writer refused for a reason the text does not have", data, size);
    }
    return 0;
}

#ifndef KAOGUMI_LIBFUZZER
#include <iterator>
#include <random>
#include <string>

namespace {

// A face file as it might be found: fields quoted or not, blanks and tabs
// around them, any line ends, text in either encoding; now and then one byte
// replaced by an arbitrary one.
std::string structuredInput(std::mt19937 &random)
{
    // Pieces of text: letters, a path's signs, 顔 in code page 932 and in
    // UTF-8, é in UTF-8, 縺０ (code page 932 bytes that are also UTF-8), and
    // single bytes that start or end characters.
    static const char *const kText[] = {"a",        "B",
                                        "0",        "\\",
                                        ".",        " ",
                                        "\x8a\xe7", "\xe9\xa1\x94",
                                        "\xc3\xa9", "\xe3\x81\x82\x4f",
                                        "\x81",     "\xe9",
                                        "\xa1",     "\xff"};
    static const char *const kLineEnds[] = {"\r\n", "\n", "\r"};
    std::string input = random() % 8 == 0 ? "\xef\xbb\xbf" : "";
    const int fields = 8 + int(random() % 5);
    for (int f = 0; f < fields; ++f) {
        if (random() % 4 == 0)
            input += random() % 2 ? " " : "\t";
        const bool quoted = random() % 2;
        std::string text;
        for (size_t k = random() % 6; k > 0; --k)
            text += kText[random() % std::size(kText)];
        input += quoted ? '"' + text + '"' : text;
        input += f % 5 == 4 ? kLineEnds[random() % 3] : ",";
    }
    if (random() % 4 == 0 && !input.empty())
        input[random() % input.size()] = char(random() % 256);
    return input;
}

// Bytes that matter to the reader, mixed with arbitrary ones.
std::string soupInput(std::mt19937 &random)
{
    static const char kAlphabet[] =
        "\",\r\n \tab09\x81\x8a\xe7\xe9\xa1\x94\xef\xbb\xbf\\\xc2\x85\xff";
    std::string input;
    for (size_t k = random() % 120; k > 0; --k) {
        input +=
            random() % 8 == 0 ? char(random() % 256) : kAlphabet[random() % (sizeof kAlphabet - 1)];
    }
    return input;
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 20000;
    std::mt19937 random(20261207);
    for (int i = 0; i < runs; ++i) {
        const std::string input = i % 2 ? structuredInput(random) : soupInput(random);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.data()), input.size());
    }
    std::printf("fuzz_facefile: %d inputs, %d read, %d written, no fault\n", runs, g_accepted,
                g_written);
    // A run that never got past the refusals would check next to nothing.
    return g_accepted > runs / 4 && g_written > runs / 4 ? 0 : 1;
}
#endif
