#include "document/FaceFile.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace FaceFile {

namespace {

constexpr auto kCodePage932 = "windows-31j";

QString decode(const QByteArray &bytes)
{
    // Stateless, so that a last lead byte cut off by a short file still
    // counts as an error instead of being held back for more input.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder sjis(kCodePage932, QStringConverter::Flag::Stateless);
    text = sjis.decode(bytes);
    // The code page 932 decoder stands U+001A in for bytes it cannot read, and
    // its encoder would write that back as another byte again; U+FFFD says
    // plainly that a character was lost and is written back as it is.
    text.replace(QChar(0x1a), QChar::ReplacementCharacter);
    return text;
}

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes); // decoding happens on conversion
    return !utf8.hasError();
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}
bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// Reads fields from the text the way the face file has always been read: the
// line structure plays no part, a line end ends a field just as a comma does.
class FieldReader
{
public:
    explicit FieldReader(const QString &text) : m_text(text) {}

    // The next field, or false when the text ends before it. A comma promises
    // a further field, so "a," holds two fields and "a\r\n" one.
    bool next(QString &field)
    {
        const qsizetype n = m_text.size();
        if (m_pos >= n && !m_afterComma)
            return false;
        m_afterComma = false;
        while (m_pos < n && isBlank(m_text.at(m_pos)))
            ++m_pos;
        if (m_pos < n && m_text.at(m_pos) == u'"') {
            const qsizetype close = m_text.indexOf(u'"', m_pos + 1);
            if (close < 0) {
                field = m_text.mid(m_pos + 1);
                m_pos = n;
                return true;
            }
            field = m_text.mid(m_pos + 1, close - m_pos - 1);
            m_pos = close + 1;
            // Whatever stands between the closing quote and the delimiter is
            // not part of the field.
            while (m_pos < n && m_text.at(m_pos) != u',' && !isLineEnd(m_text.at(m_pos)))
                ++m_pos;
        } else {
            const qsizetype start = m_pos;
            while (m_pos < n && m_text.at(m_pos) != u',' && !isLineEnd(m_text.at(m_pos)))
                ++m_pos;
            qsizetype end = m_pos;
            while (end > start && isBlank(m_text.at(end - 1)))
                --end;
            field = m_text.mid(start, end - start);
        }
        skipDelimiter();
        return true;
    }

private:
    void skipDelimiter()
    {
        const qsizetype n = m_text.size();
        if (m_pos >= n)
            return;
        const QChar c = m_text.at(m_pos++);
        if (c == u',')
            m_afterComma = true;
        else if (c == u'\r' && m_pos < n && m_text.at(m_pos) == u'\n')
            ++m_pos;
    }

    const QString &m_text;
    qsizetype m_pos = 0;
    bool m_afterComma = false;
};

QString line(const QString &a, const QString &b, const QString &c, const QString &d)
{
    return QStringLiteral("\"%1\",\"%2\",\"%3\",\"%4\",\"\"\r\n").arg(a, b, c, d);
}

} // namespace

ReadResult read(const QByteArray &bytes)
{
    const QString text = decode(bytes);
    FieldReader reader(text);
    QString f[10];
    for (QString &field : f) {
        if (!reader.next(field))
            return {};
    }
    ReadResult result;
    result.ok = true;
    result.PartFiles.Outline = f[0];
    result.PartFiles.Hair = f[1];
    result.PartFiles.Eyes = f[2];
    result.PartFiles.Mouth = f[3];
    result.PartCodes.Outline = f[5];
    result.PartCodes.Hair = f[6];
    result.PartCodes.Eyes = f[7];
    result.PartCodes.Mouth = f[8];
    return result;
}

WriteResult write(const FaceParts &partFiles, const FaceParts &partCodes)
{
    const QString text = line(partFiles.Outline, partFiles.Hair, partFiles.Eyes, partFiles.Mouth) +
                         line(partCodes.Outline, partCodes.Hair, partCodes.Eyes, partCodes.Mouth);

    for (const QString *field :
         {&partFiles.Outline, &partFiles.Hair, &partFiles.Eyes, &partFiles.Mouth,
          &partCodes.Outline, &partCodes.Hair, &partCodes.Eyes, &partCodes.Mouth}) {
        if (field->contains(u'"') || field->contains(u'\r') || field->contains(u'\n')) {
            return {
                {},
                QStringLiteral("「%1」には引用符か改行が含まれているため、顔ファイルに書けません。")
                    .arg(*field)};
        }
    }

    QStringEncoder sjis(kCodePage932, QStringConverter::Flag::Stateless);
    QByteArray bytes = sjis.encode(text);
    // Code page 932 bytes that happen to form valid UTF-8 would be read back
    // as UTF-8, as other text; such a rare text is written as UTF-8 instead.
    if (!sjis.hasError() && (bytes == text.toUtf8() || !isValidUtf8(bytes)))
        return {bytes, {}};
    // No byte-order mark: the first field must still start with its quote for
    // readers that know only code page 932.
    QStringEncoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    return {utf8.encode(text), {}};
}

} // namespace FaceFile
