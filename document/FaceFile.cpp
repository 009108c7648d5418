#include "document/FaceFile.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace FaceFile {

namespace {

constexpr auto kCodePage932 = "windows-31j";
constexpr int kFieldCount = 10;
constexpr int kFieldsPerLine = 5;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}
bool isControlByte(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}
bool isControl(QChar c)
{
    const char16_t unit = c.unicode();
    return unit < 0x20 || (unit >= 0x7f && unit <= 0x9f);
}

Field fieldAt(int index)
{
    Field field;
    field.record = index < kFieldsPerLine ? Record::PartFiles : Record::PartCodes;
    const int column = index % kFieldsPerLine;
    if (column < int(Categories::FileColumns.size()))
        field.category = Categories::FileColumns[size_t(column)];
    return field;
}

// Splits the bytes into fields the way the face file has always been read:
// the line structure plays no part, a line end ends a field just as a comma
// does. The split happens before decoding: the quote, comma, CR, LF, blank and
// tab are single bytes in UTF-8 and never the second byte of a code page 932
// character (those start at 0x40), so each field is decoded on its own.
class FieldSplitter
{
public:
    FieldSplitter(const QByteArray &bytes, qsizetype start) : m_bytes(bytes), m_pos(start) {}

    // The next field's bytes, or false when the bytes end before it. A comma
    // promises a further field, so "a," holds two fields and "a\r\n" one.
    // strayControl: the text between a closing quote and the delimiter, which
    // is not part of the field, holds a control character other than a tab.
    bool next(QByteArray &field, bool &strayControl)
    {
        const qsizetype n = m_bytes.size();
        if (m_pos >= n && !m_afterComma)
            return false;
        m_afterComma = false;
        strayControl = false;
        while (m_pos < n && isBlank(m_bytes.at(m_pos)))
            ++m_pos;
        if (m_pos < n && m_bytes.at(m_pos) == '"') {
            const qsizetype close = m_bytes.indexOf('"', m_pos + 1);
            if (close < 0) {
                field = m_bytes.mid(m_pos + 1);
                m_pos = n;
                return true;
            }
            field = m_bytes.mid(m_pos + 1, close - m_pos - 1);
            m_pos = close + 1;
            for (; m_pos < n && m_bytes.at(m_pos) != ',' && !isLineEnd(m_bytes.at(m_pos)); ++m_pos)
                strayControl =
                    strayControl || (isControlByte(m_bytes.at(m_pos)) && m_bytes.at(m_pos) != '\t');
        } else {
            const qsizetype start = m_pos;
            while (m_pos < n && m_bytes.at(m_pos) != ',' && !isLineEnd(m_bytes.at(m_pos)))
                ++m_pos;
            qsizetype end = m_pos;
            while (end > start && isBlank(m_bytes.at(end - 1)))
                --end;
            field = m_bytes.mid(start, end - start);
        }
        skipDelimiter();
        return true;
    }

private:
    void skipDelimiter()
    {
        const qsizetype n = m_bytes.size();
        if (m_pos >= n)
            return;
        const char c = m_bytes.at(m_pos++);
        if (c == ',')
            m_afterComma = true;
        else if (c == '\r' && m_pos < n && m_bytes.at(m_pos) == '\n')
            ++m_pos;
    }

    const QByteArray &m_bytes;
    qsizetype m_pos;
    bool m_afterComma = false;
};

// The length of the well-formed UTF-8 character beyond ASCII that starts at
// index, or 0 when none does (overlong forms, surrogates and values beyond
// U+10FFFF are not well-formed).
int utf8Length(const QByteArray &bytes, qsizetype index)
{
    const auto at = [&bytes](qsizetype i) {
        return i < bytes.size() ? static_cast<unsigned char>(bytes.at(i)) : 0;
    };
    const unsigned char lead = at(index);
    unsigned char low = 0x80;
    unsigned char high = 0xbf;
    int length = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : low;
        high = lead == 0xed ? 0x9f : high;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : low;
        high = lead == 0xf4 ? 0x8f : high;
    } else {
        return 0;
    }
    if (at(index + 1) < low || at(index + 1) > high)
        return 0;
    for (int k = 2; k < length; ++k) {
        if (at(index + k) < 0x80 || at(index + k) > 0xbf)
            return 0;
    }
    return length;
}

// Whether every byte beyond ASCII belongs to a well-formed UTF-8 character.
bool isUtf8(const QByteArray &bytes)
{
    for (qsizetype i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes.at(i)) < 0x80)
            ++i;
        else if (const int length = utf8Length(bytes, i))
            i += length;
        else
            return false;
    }
    return true;
}

// Whether the bytes are code page 932 text throughout: every lead byte has
// its second byte, and every character is one the code page defines.
bool isCodePage932(const QByteArray &bytes)
{
    QStringDecoder decoder(kCodePage932, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    Q_UNUSED(text)
    return !decoder.hasError();
}

QString decodeUtf8(const QByteArray &bytes)
{
    // The file's byte-order mark was skipped before the split; a U+FEFF that
    // opens a field is the field's own character, kept as written.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

QString decodeCodePage932(const QByteArray &bytes)
{
    QStringDecoder decoder(kCodePage932, QStringConverter::Flag::Stateless);
    // A lead byte at the very end of a field is dropped without a trace; a
    // blank after it, never a second byte, makes it a bad byte like any other.
    QString text = decoder.decode(bytes + ' ');
    text.chop(1);
    // The decoder stands U+001A in for bytes it cannot read, and its encoder
    // would write that back as another byte again; U+FFFD says plainly that a
    // character was lost and is written back as it is. (A real 0x1A byte was
    // refused before decoding.)
    text.replace(QChar(0x1a), QChar::ReplacementCharacter);
    return text;
}

ReadResult refused(Error error, int index)
{
    ReadResult result;
    result.reason.error = error;
    result.reason.field = fieldAt(index);
    return result;
}

Error unwritable(const QString &text)
{
    if (std::any_of(text.begin(), text.end(),
                    [](QChar c) { return c == u'"' || c == u'\r' || c == u'\n'; })) {
        return Error::QuoteOrLineEnd;
    }
    if (std::any_of(text.begin(), text.end(), isControl))
        return Error::ControlCharacter;
    if (!QStringView(text).isValidUtf16())
        return Error::Unencodable;
    return Error::None;
}

QString line(const FaceParts &parts)
{
    QString text;
    for (Category category : Categories::FileColumns)
        text += u'"' + Categories::field(parts, category) + QStringLiteral("\",");
    return text + QStringLiteral("\"\"\r\n");
}

} // namespace

ReadResult read(const QByteArray &bytes)
{
    const bool byteOrderMark = bytes.startsWith("\xef\xbb\xbf");
    FieldSplitter splitter(bytes, byteOrderMark ? 3 : 0);
    QByteArray raw[kFieldCount];
    bool codePage932 = true;
    bool utf8 = true;
    for (int i = 0; i < kFieldCount; ++i) {
        bool strayControl = false;
        if (!splitter.next(raw[i], strayControl))
            return refused(Error::TooFewFields, i);
        if (strayControl || std::any_of(raw[i].begin(), raw[i].end(), isControlByte))
            return refused(Error::ControlCharacter, i);
        codePage932 = codePage932 && isCodePage932(raw[i]);
        utf8 = utf8 && isUtf8(raw[i]);
    }

    // Face files are code page 932 text, as Windows writes them; half-width
    // katakana and many kanji pairs are well-formed UTF-8 as well, so only a
    // file that cannot be code page 932 is taken for UTF-8 without its mark.
    utf8 = byteOrderMark || (!codePage932 && utf8);
    QString text[kFieldCount];
    for (int i = 0; i < kFieldCount; ++i) {
        text[i] = utf8 ? decodeUtf8(raw[i]) : decodeCodePage932(raw[i]);
        if (std::any_of(text[i].begin(), text[i].end(), isControl))
            return refused(Error::ControlCharacter, i);
    }

    ReadResult result;
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = fieldAt(i);
        if (field.category) {
            FaceParts &parts =
                field.record == Record::PartFiles ? result.PartFiles : result.PartCodes;
            Categories::field(parts, *field.category) = text[i];
        }
    }
    return result;
}

WriteResult write(const FaceParts &partFiles, const FaceParts &partCodes)
{
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = fieldAt(i);
        if (!field.category)
            continue;
        const QString &text = Categories::field(
            field.record == Record::PartFiles ? partFiles : partCodes, *field.category);
        if (const Error error = unwritable(text); error != Error::None)
            return {{error, field, text}, {}};
    }

    const QString text = line(partFiles) + line(partCodes);
    QStringEncoder sjis(kCodePage932, QStringConverter::Flag::Stateless);
    QByteArray bytes = sjis.encode(text);
    // Asking the reader itself keeps the two in step, whatever characters
    // the code page holds in more than one way.
    const ReadResult back = sjis.hasError() ? ReadResult() : read(bytes);
    if (sjis.hasError() || !back.ok() || back.PartFiles != partFiles ||
        back.PartCodes != partCodes) {
        // With its mark, so that no reader has to guess.
        bytes = "\xef\xbb\xbf" + text.toUtf8();
    }
    // What the readers read of a file: more would be cut off there.
    if (bytes.size() > MaxFileBytes)
        return {{Error::TooLong, {}, {}}, {}};
    return {{}, bytes};
}

} // namespace FaceFile
