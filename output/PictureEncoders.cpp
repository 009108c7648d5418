#include "output/PictureEncoders.h"

#include "EncoderSupport.h"
#include "platform/RegularFile.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

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

AtomicFile::Result checkMemo(const Memo &memo)
{
    if (memo.faceFile.size() > FaceFile::MaxFileBytes ||
        memo.faceCode.size() > FaceFile::MaxFileBytes)
        return failure(
            u"顔ファイルにできる大きさ（%1 バイト）を超える顔は、画像に記録できません。"_s.arg(
                FaceFile::MaxFileBytes));
    return {};
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
        // No face file is larger: the reader of face files stops there. The
        // face code beside it is still taken.
        if (decoded.decoded.size() <= FaceFile::MaxFileBytes)
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

AtomicFile::Result write(const Encoded &encoded, const QString &path)
{
    return encoded.ok() ? AtomicFile::write(path, encoded.bytes) : encoded.result;
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

Encoded encodeBMP(const quint32 *pixels, int width, int height)
{
    // The sizes in a BMP's headers are 32-bit: at 65535 pixels a side the
    // largest file still fits below 4 GiB only for some shapes, so the size
    // is checked as a whole as well.
    if (const auto refused = Support::checkPicture(pixels, width, height, 65535); !refused.ok())
        return {refused, {}};
    constexpr quint32 headerBytes = 14 + 40;
    const quint64 rowBytes = (quint64(width) * 3 + 3) & ~quint64(3);
    const quint64 fileBytes = headerBytes + rowBytes * quint64(height);
    if (fileBytes > 0xffffffffu)
        return {
            Support::failure(
                u"絵が大きすぎて、BMP では保存できません（%1 × %2）。"_s.arg(width).arg(height)),
            {}};

    QByteArray bytes;
    try {
        bytes = QByteArray(qsizetype(fileBytes), '\0');
    } catch (const std::bad_alloc &) {
        return {Support::outOfMemory(), {}};
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
    return {{}, bytes};
}

AtomicFile::Result SaveBMP(const quint32 *pixels, int width, int height, const QString &path)
{
    return Support::write(encodeBMP(pixels, width, height), path);
}

Encoded encodeJPEG(const quint32 *pixels, int width, int height, quint8 quality, const Memo &memo)
{
    // libjpeg's own limit on a side.
    if (const auto refused = Support::checkPicture(pixels, width, height, 65500); !refused.ok())
        return {refused, {}};
    if (const auto refused = Support::checkMemo(memo); !refused.ok())
        return {refused, {}};
    QByteArray bytes;
    try {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(qBound(1, int(quality), 100));
        if (!writer.write(wrap(pixels, width, height)))
            return {
                Support::failure(u"JPEG を作れませんでした（%1）。"_s.arg(writer.errorString())),
                {}};
        // The comments go in after the start of the picture and the JFIF
        // header, which must come first, in the form Qt writes its texts,
        // "key: value". Qt's writer would cut a value at 65533 bytes; a
        // longer one is written in pieces.
        qsizetype at = 2;
        if (bytes.size() >= 6 && quint8(bytes[2]) == 0xff && quint8(bytes[3]) == 0xe0)
            at += 2 + qFromBigEndian<quint16>(bytes.constData() + 4);
        QByteArray comments;
        for (const Support::Text &text : Support::memoTexts(memo)) {
            const QByteArray key = text.key + ": ";
            const qsizetype piece = (65533 - key.size()) / 4 * 4;
            for (qsizetype from = 0; from < text.value.size(); from += piece) {
                const QByteArray comment = key + text.value.mid(from, piece);
                const quint16 length = quint16(comment.size() + 2);
                comments += "\xff\xfe"_ba + char(length >> 8) + char(length & 0xff) + comment;
            }
        }
        bytes.insert(at, comments);
    } catch (const std::bad_alloc &) {
        return {Support::outOfMemory(), {}};
    }
    return {{}, bytes};
}

AtomicFile::Result DCSavetoJPEG(const quint32 *pixels, int width, int height, const QString &path,
                                quint8 quality, qint32 reserved, const Memo &memo)
{
    Q_UNUSED(reserved)
    return Support::write(encodeJPEG(pixels, width, height, quality, memo), path);
}

namespace Support {

std::optional<Memo> readJpegMemo(QIODevice &device)
{
    if (device.read(2) != "\xff\xd8")
        return std::nullopt;
    const QByteArray faceKey = QByteArray(MemoKey) + ": ";
    const QByteArray codeKey = QByteArray(MemoCodeKey) + ": ";
    std::optional<QByteArray> faceFile, faceCode;
    bool faceTooLong = false, codeTooLong = false;
    // Segment by segment up to the picture's data: a marker, its length
    // (which counts itself) and its bytes. Markers may be padded with 0xff.
    for (;;) {
        char byte = 0;
        if (!device.getChar(&byte) || quint8(byte) != 0xff)
            break;
        while (device.getChar(&byte) && quint8(byte) == 0xff) {
        }
        const quint8 marker = quint8(byte);
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd8))
            continue; // markers without a segment
        if (marker == 0xda || marker == 0xd9)
            break; // the picture's data, or the end
        const QByteArray size = device.read(2);
        if (size.size() != 2 || qFromBigEndian<quint16>(size.constData()) < 2)
            break;
        const qint64 length = qFromBigEndian<quint16>(size.constData()) - 2;
        const qint64 next = device.pos() + length;
        if (marker == 0xfe) {
            const QByteArray text = device.read(length);
            const auto gather = [&](const QByteArray &key, std::optional<QByteArray> &value,
                                    bool &tooLong) {
                if (!text.startsWith(key))
                    return false;
                const QByteArrayView piece = QByteArrayView(text).sliced(key.size());
                if (!value)
                    value.emplace();
                if (value->size() + piece.size() > MaxMemoText)
                    tooLong = true;
                else
                    value->append(piece);
                return true;
            };
            if (!gather(codeKey, faceCode, codeTooLong))
                gather(faceKey, faceFile, faceTooLong);
        }
        if (!device.seek(next))
            break;
    }
    // A text longer than any memo is not one.
    if (faceTooLong)
        faceFile.reset();
    if (codeTooLong)
        faceCode.reset();
    return memoFromTexts(faceFile, faceCode);
}

} // namespace Support

namespace {

std::optional<Memo> readMemo(QIODevice &device)
{
    const QByteArray start = device.peek(8);
    if (start.startsWith("GIF8"))
        return Support::readGifMemo(device);
    if (start == "\x89PNG\r\n\x1a\n")
        return Support::readPngMemo(device);
    if (start.startsWith("\xff\xd8"))
        return Support::readJpegMemo(device);
    if (start.startsWith("<?xml") || start.startsWith("<svg"))
        return Support::readSvgMemo(device);
    return std::nullopt;
}

} // namespace

std::optional<Memo> readMemo(const QString &path)
{
    // Only a regular file is read: a FIFO would keep the reader waiting.
    QFile file;
    if (!RegularFile::open(path, file).ok())
        return std::nullopt;
    return readMemo(static_cast<QIODevice &>(file));
}

std::optional<Memo> readMemo(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        return std::nullopt;
    return readMemo(static_cast<QIODevice &>(buffer));
}

} // namespace PictureEncoders
