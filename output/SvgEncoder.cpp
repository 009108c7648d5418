// The SVG file of a face: the composite painted on a painter of shapes, and
// the memo in a <metadata> element of its own near the top.

#include "EncoderSupport.h"
#include "document/Composite.h"
#include "platform/RegularFile.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>
#include <QXmlStreamReader>

#include <new>

using namespace Qt::StringLiterals;

namespace PictureEncoders {

namespace {

// The namespace of the memo's elements inside <metadata>.
const auto kMemoNamespace = "urn:x-kaogumi:face-memo"_L1;

// The memo as the elements of a <metadata>, each text under its key, and
// nothing for an empty memo.
QByteArray metadata(const Memo &memo)
{
    const QList<Support::Text> texts = Support::memoTexts(memo);
    if (texts.isEmpty())
        return {};
    QByteArray xml = "<metadata xmlns:k=\"" + QByteArray(kMemoNamespace.data()) + "\">\n";
    // Base64 and the face code's digits need no escaping; a face code of
    // other text is escaped all the same.
    for (const Support::Text &text : texts)
        xml += "<k:" + text.key + '>' + QString::fromUtf8(text.value).toHtmlEscaped().toUtf8() +
               "</k:" + text.key + ">\n";
    return xml + "</metadata>\n";
}

} // namespace

Encoded encodeSVG(const Composite::Layers &layers, QSize size, const Memo &memo)
{
    if (const auto refused = Support::checkMemo(memo); !refused.ok())
        return {refused, {}};
    if (size.isEmpty())
        return {Support::failure(u"保存する絵がありません。"_s), {}};
    QByteArray bytes;
    try {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setViewBox(QRect(0, 0, Composite::SurfaceWidth, Composite::SurfaceHeight));
        generator.setSize(size);
        generator.setTitle(memo.faceCode);
        generator.setDescription(u"かおぐみの顔"_s);
        QPainter painter;
        if (!painter.begin(&generator))
            return {Support::failure(u"SVG を作れませんでした。"_s), {}};
        Composite::paint(painter, layers);
        painter.end();

        // The generator gives its size in millimetres; the picture's size is
        // its pixels, as the other formats have it. The memo comes first
        // inside, where a reader finds it without going through the parts.
        const qsizetype root = bytes.indexOf("<svg ");
        const qsizetype rootEnd = root < 0 ? -1 : bytes.indexOf('>', root);
        const qsizetype width = root < 0 ? -1 : bytes.indexOf(" width=\"", root);
        const qsizetype viewBox = root < 0 ? -1 : bytes.indexOf(" viewBox=", root);
        if (rootEnd < 0 || width < 0 || viewBox < width || viewBox > rootEnd)
            return {Support::failure(u"SVG を作れませんでした。"_s), {}};
        bytes.insert(rootEnd + 1, '\n' + metadata(memo));
        bytes.replace(width, viewBox - width,
                      " width=\"" + QByteArray::number(size.width()) + "\" height=\"" +
                          QByteArray::number(size.height()) + "\"\n");
    } catch (const std::bad_alloc &) {
        return {Support::outOfMemory(), {}};
    }
    return {{}, bytes};
}

namespace Support {

std::optional<Memo> readSvgMemo(QIODevice &device)
{
    // The memo lies near the top: its texts, the root element before them and
    // a little room. Nothing further is read, and nothing of the picture is
    // drawn.
    constexpr qint64 kWindow = 2 * MaxMemoText + (64 << 10);
    QXmlStreamReader xml(device.read(kWindow));
    std::optional<QByteArray> faceFile, faceCode;
    bool rootSeen = false, inMetadata = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && inMetadata && xml.name() == u"metadata")
            break;
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (!rootSeen) {
            if (xml.name() != u"svg" || xml.namespaceUri() != u"http://www.w3.org/2000/svg")
                return std::nullopt;
            rootSeen = true;
        } else if (!inMetadata) {
            inMetadata = xml.name() == u"metadata";
        } else if (xml.namespaceUri() == kMemoNamespace) {
            std::optional<QByteArray> *value = xml.name() == QLatin1StringView(MemoKey) ? &faceFile
                                               : xml.name() == QLatin1StringView(MemoCodeKey)
                                                   ? &faceCode
                                                   : nullptr;
            const QString text = xml.readElementText();
            // A text cut off by the end of what was read is none.
            if (xml.hasError())
                break;
            if (value && !*value && text.size() <= MaxMemoText)
                *value = text.toUtf8();
        }
    }
    return memoFromTexts(faceFile, faceCode);
}

} // namespace Support

} // namespace PictureEncoders
