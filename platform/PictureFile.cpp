#include "platform/PictureFile.h"

#include "platform/RegularFile.h"
#include "platform/ScalablePicture.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace PictureFile {

namespace {

// An SVG file larger than this is no part: parts are small drawings.
constexpr qint64 kMaxSvgBytes = 1 << 20;
// What an SVG may make the renderer draw, counted with every <use> drawn
// out as often as it is used: one for each element, one more for every 64
// bytes of its attributes (a path's points). Drawn at a part's size, this
// much takes a fraction of a second.
constexpr qint64 kMaxSvgWork = 50'000;
// A chain of uses of uses deeper than this is no drawing of a part.
constexpr int kMaxUseDepth = 64;

// The work of drawing an SVG, or -1 when it may not be drawn: it may when it
// reads nothing but itself (every reference names a part of the document,
// "#id", or carries its data, "data:"; no style sheet is taken from
// elsewhere), and its work stays within kMaxSvgWork. The renderer would
// otherwise draw any picture file an <image> names, and reused groups grow
// tenfold with each level.
qint64 svgWork(const QByteArray &bytes)
{
    struct Element
    {
        qint64 subtree = 0; // elements of the subtree, itself first
        qint64 work = 0;    // its own work, without its subtree
    };
    struct Use
    {
        qsizetype at;   // the using element
        QString target; // the id it uses
    };
    std::vector<Element> elements;
    std::vector<Use> uses;
    QHash<QString, qsizetype> ids;
    std::vector<qsizetype> open;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::ProcessingInstruction:
            if (xml.processingInstructionTarget() == u"xml-stylesheet")
                return -1;
            break;
        case QXmlStreamReader::StartElement: {
            const qsizetype at = qsizetype(elements.size());
            if (at >= kMaxSvgWork)
                return -1;
            Element element;
            for (const QXmlStreamAttribute &attribute : xml.attributes()) {
                element.work += attribute.value().size();
                if (attribute.name() == u"href") {
                    const QStringView value = attribute.value().trimmed();
                    if (value.startsWith(u'#')) {
                        if (xml.name() == u"use")
                            uses.push_back({at, value.mid(1).toString()});
                    } else if (!value.startsWith(u"data:", Qt::CaseInsensitive)) {
                        return -1;
                    }
                } else if (attribute.name() == u"id") {
                    ids.insert(attribute.value().toString(), at);
                }
            }
            element.work = 1 + element.work / 64;
            elements.push_back(element);
            open.push_back(at);
            break;
        }
        case QXmlStreamReader::EndElement:
            if (!open.empty()) {
                elements[size_t(open.back())].subtree = qsizetype(elements.size()) - open.back();
                open.pop_back();
            }
            break;
        default:
            break;
        }
    }
    if (xml.hasError() || elements.empty())
        return -1;

    // The work of an element's subtree: its elements' own work, and the
    // work of what each use inside it uses. Elements are numbered in the
    // order they start, so a subtree is a run of numbers.
    std::vector<qint64> own(elements.size() + 1, 0); // sums of work before each
    for (size_t i = 0; i < elements.size(); ++i)
        own[i + 1] = own[i] + elements[i].work;
    std::vector<qint64> work(elements.size(), -1); // -1: not yet, -2: under way
    const auto subtreeWork = [&](auto &self, qsizetype at, int depth) -> qint64 {
        if (work[size_t(at)] >= 0)
            return work[size_t(at)];
        if (work[size_t(at)] == -2 || depth > kMaxUseDepth)
            return kMaxSvgWork + 1; // a use of itself never ends
        work[size_t(at)] = -2;
        const qsizetype end = at + qsizetype(elements[size_t(at)].subtree);
        qint64 total = own[size_t(end)] - own[size_t(at)];
        auto use = std::lower_bound(uses.begin(), uses.end(), at,
                                    [](const Use &u, qsizetype value) { return u.at < value; });
        for (; use != uses.end() && use->at < end && total <= kMaxSvgWork; ++use) {
            const auto target = ids.constFind(use->target);
            if (target != ids.constEnd())
                total += self(self, *target, depth + 1);
        }
        work[size_t(at)] = qMin(total, kMaxSvgWork + 1);
        return work[size_t(at)];
    };
    const qint64 total = subtreeWork(subtreeWork, 0, 0);
    return total <= kMaxSvgWork ? total : -1;
}

// An SVG as a drawing of its own size, or made smaller, in its proportions,
// to fit ScalableSide: its own size is whatever it names, a canvas of
// thousands of pixels as readily as one of a part's, and drawing costs as its
// area does.
std::shared_ptr<const ScalablePicture> readSvg(QFile &file)
{
    if (file.size() > kMaxSvgBytes || !file.seek(0))
        return nullptr;
    const QByteArray bytes = file.read(kMaxSvgBytes);
    // Compressed SVG (svgz) is not read: what it inflates to is unbounded.
    const qint64 work = bytes.startsWith("\x1f\x8b") ? -1 : svgWork(bytes);
    if (work < 0)
        return nullptr;
    // Drawing costs its work times its area: a drawing is drawn larger only
    // as far as that stays within what the most work drawn at ScalableSide
    // costs. A part's few shapes reach any size a target needs; a drawing
    // made of the most work there may be stays at ScalableSide.
    const qint64 area = kMaxSvgWork * ScalableSide * ScalableSide / qMax<qint64>(work, 1);
    return ScalablePicture::fromSvg(bytes, ScalableSide, area);
}

// The formats a picture held in memory is told to be in by its first bytes.
QByteArray formatOf(const QByteArray &bytes)
{
    // Lengths given: two of them hold a NUL.
    static const struct
    {
        const char *format;
        const char *start;
        qsizetype length;
    } signatures[] = {{"png", "\x89PNG\r\n\x1a\n", 8},
                      {"jpeg", "\xff\xd8\xff", 3},
                      {"gif", "GIF87a", 6},
                      {"gif", "GIF89a", 6},
                      {"bmp", "BM", 2},
                      {"tiff", "II*\0", 4},
                      {"tiff", "MM\0*", 4}};
    for (const auto &signature : signatures) {
        if (bytes.startsWith(QByteArrayView(signature.start, signature.length)))
            return signature.format;
    }
    if (bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP")
        return "webp";
    return {};
}

// Some decoders (BMP) stop at the end of a file cut short and return the
// picture with the rows they never reached as the memory left them, which
// would show the program's own memory. Given a cleared picture of the size
// and format they announce, they decode into it instead, and what the file
// lacks stays zero: black, or transparent. Within the decoder's allocation
// limit only; the memory comes from calloc, so a large picture gets fresh
// pages that are zero already rather than a pass to clear them.
QImage clearedPicture(const QImageReader &reader)
{
    const QSize size = reader.size();
    const QImage::Format format = reader.imageFormat();
    if (size.isEmpty() || format == QImage::Format_Invalid)
        return {};
    const qint64 bytesPerLine =
        (qint64(size.width()) * QImage::toPixelFormat(format).bitsPerPixel() + 31) / 32 * 4;
    const qint64 bytes = bytesPerLine * size.height();
    // Counted at four bytes a pixel whatever the file's depth, as the decoder
    // counts it when it makes the picture itself: every picture is drawn from
    // 32 bits a pixel, so a 1-bit bomb of 20,000 pixels square costs what its
    // size says, not its depth.
    const int limit = QImageReader::allocationLimit();
    if (limit > 0 && qint64(size.width()) * size.height() * 4 > qint64(limit) << 20)
        return {};
    void *data = std::calloc(size_t(bytes), 1);
    if (!data)
        return {};
    return QImage(
        static_cast<uchar *>(data), size.width(), size.height(), bytesPerLine, format,
        [](void *memory) { std::free(memory); }, data);
}

} // namespace

QImage read(const QString &path)
{
    QFile file;
    if (!RegularFile::open(path, file).ok())
        return {};
    return read(file);
}

QImage read(QFile &file)
{
    const Picture picture = load(file);
    return picture.drawing ? picture.drawing->picture(picture.drawing->size()) : picture.image;
}

Picture load(QFile &file)
{
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    if (reader.format() == "svg" || reader.format() == "svgz")
        return {{}, readSvg(file)};
    QImage image = clearedPicture(reader);
    if (!reader.read(&image))
        return {};
    return {image, nullptr};
}

QImage decode(const QByteArray &bytes, const QList<QByteArray> &formats, int largestSide)
{
    const QByteArray format = formatOf(bytes);
    if (format.isEmpty() || !formats.contains(format))
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // This decoder alone, whatever another one would make of the bytes.
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (size.isEmpty() || qint64(size.width()) * size.height() > MaxDecodedPixels)
        return {};
    // A JPEG decoder makes the smaller picture from the file at a fraction
    // of the work; the others decode the whole picture, within the
    // decoder's allocation limit, and make it smaller then.
    if (size.width() > largestSide || size.height() > largestSide) {
        reader.setScaledSize(
            size.scaled(largestSide, largestSide, Qt::KeepAspectRatio).expandedTo({1, 1}));
        return reader.read();
    }
    QImage image = clearedPicture(reader);
    if (!reader.read(&image))
        return {};
    return image;
}

} // namespace PictureFile
