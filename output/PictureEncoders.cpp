#include "output/PictureEncoders.h"

#include "EncoderSupport.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <new>

using namespace Qt::StringLiterals;

namespace PictureEncoders {

const char *const MemoKey = "KaogumiFace";
const char *const MemoCodeKey = "KaogumiFaceCode";

namespace Support {

QList<Text> memoTexts(const Memo &memo)
{
    QList<Text> texts;
    if (!memo.faceFile.isEmpty())
        texts.append({MemoKey, memo.faceFile.toBase64()});
    if (!memo.faceCode.isEmpty())
        texts.append({MemoCodeKey, memo.faceCode.toUtf8()});
    return texts;
}

std::optional<Memo> memoFromTexts(const std::optional<QByteArray> &faceFile,
                                  const std::optional<QByteArray> &faceCode)
{
    if (!faceFile && !faceCode)
        return std::nullopt;
    Memo memo;
    if (faceFile) {
        const auto decoded =
            QByteArray::fromBase64Encoding(*faceFile, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return std::nullopt;
        memo.faceFile = *decoded;
    }
    if (faceCode)
        memo.faceCode = QString::fromUtf8(*faceCode);
    return memo;
}

AtomicFile::Result failure(const QString &reason)
{
    return {AtomicFile::Result::Error::System, reason};
}

AtomicFile::Result outOfMemory()
{
    return failure(u"メモリが足りません。"_s);
}

AtomicFile::Result checkPicture(const quint32 *pixels, int width, int height, int largestSide)
{
    if (!pixels || width <= 0 || height <= 0)
        return failure(u"保存する絵がありません。"_s);
    if (width > largestSide || height > largestSide)
        return failure(
            u"絵が大きすぎて、この形式では保存できません（%1 × %2）。"_s.arg(width).arg(height));
    return {};
}

} // namespace Support

namespace {

// BMP stores its numbers little-endian.
char *put16(char *out, quint16 value)
{
    out[0] = char(value & 0xff);
    out[1] = char(value >> 8);
    return out + 2;
}

char *put32(char *out, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = char((value >> (8 * i)) & 0xff);
    return out + 4;
}

// The pixels as a QImage that shares them: nothing is copied.
QImage wrap(const quint32 *pixels, int width, int height)
{
    return QImage(reinterpret_cast<const uchar *>(pixels), width, height, qsizetype(width) * 4,
                  QImage::Format_RGB32);
}

} // namespace

AtomicFile::Result SaveBMP(const quint32 *pixels, int width, int height, const QString &path)
{
    // The sizes in a BMP's headers are 32-bit: at 65535 pixels a side the
    // largest file still fits below 4 GiB only for some shapes, so the size
    // is checked as a whole as well.
    if (const auto refused = Support::checkPicture(pixels, width, height, 65535); !refused.ok())
        return refused;
    constexpr quint32 headerBytes = 14 + 40;
    const quint64 rowBytes = (quint64(width) * 3 + 3) & ~quint64(3);
    const quint64 fileBytes = headerBytes + rowBytes * quint64(height);
    if (fileBytes > 0xffffffffu)
        return Support::failure(
            u"絵が大きすぎて、BMP では保存できません（%1 × %2）。"_s.arg(width).arg(height));

    QByteArray bytes;
    try {
        bytes = QByteArray(qsizetype(fileBytes), '\0');
    } catch (const std::bad_alloc &) {
        return Support::outOfMemory();
    }
    char *out = bytes.data();
    // The file header, then the 40-byte info header: no compression, and
    // 3780 pixels a metre (96 dpi), the density the face is drawn for.
    *out++ = 'B';
    *out++ = 'M';
    out = put32(out, quint32(fileBytes));
    out = put32(out, 0);
    out = put32(out, headerBytes);
    out = put32(out, 40);
    out = put32(out, quint32(width));
    out = put32(out, quint32(height)); // positive: the rows run bottom-up
    out = put16(out, 1);
    out = put16(out, 24);
    out = put32(out, 0);
    out = put32(out, quint32(rowBytes * quint64(height)));
    out = put32(out, 3780);
    out = put32(out, 3780);
    out = put32(out, 0);
    out = put32(out, 0);

    for (int y = height - 1; y >= 0; --y) {
        const quint32 *row = pixels + qsizetype(y) * width;
        char *line = out;
        for (int x = 0; x < width; ++x) {
            const quint32 pixel = row[x];
            *line++ = char(pixel & 0xff);
            *line++ = char((pixel >> 8) & 0xff);
            *line++ = char((pixel >> 16) & 0xff);
        }
        out += rowBytes; // the padding stays zero
    }
    return AtomicFile::write(path, bytes);
}

AtomicFile::Result DCSavetoJPEG(const quint32 *pixels, int width, int height, const QString &path,
                                quint8 quality, qint32 reserved, const Memo &memo)
{
    Q_UNUSED(reserved)
    // libjpeg's own limit on a side.
    if (const auto refused = Support::checkPicture(pixels, width, height, 65500); !refused.ok())
        return refused;
    QByteArray bytes;
    try {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(qBound(1, int(quality), 100));
        // Qt writes each text as a comment "key: value".
        for (const Support::Text &text : Support::memoTexts(memo))
            writer.setText(QString::fromLatin1(text.key), QString::fromLatin1(text.value));
        if (!writer.write(wrap(pixels, width, height)))
            return Support::failure(u"JPEG を作れませんでした（%1）。"_s.arg(writer.errorString()));
    } catch (const std::bad_alloc &) {
        return Support::outOfMemory();
    }
    return AtomicFile::write(path, bytes);
}

std::optional<Memo> readMemo(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Qt reads GIF pictures but not their comments; giflib walks them.
    if (file.peek(4) == "GIF8")
        return Support::readGifMemo(file);

    QImageReader reader(&file);
    const QByteArray format = reader.format();
    if (format != "png" && format != "jpeg")
        return std::nullopt;
    const QStringList keys = reader.textKeys();
    const auto value = [&](const char *key) -> std::optional<QByteArray> {
        const QString name = QString::fromLatin1(key);
        if (!keys.contains(name))
            return std::nullopt;
        return reader.text(name).toUtf8();
    };
    return Support::memoFromTexts(value(MemoKey), value(MemoCodeKey));
}

} // namespace PictureEncoders
