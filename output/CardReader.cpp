#include "output/CardReader.h"

#include "document/FaceCode.h"

#include <QImage>

#include <ZXing/ReadBarcode.h>

#include <exception>

namespace CardReader {

std::optional<QString> faceCode(const QImage &picture)
{
    if (picture.isNull())
        return std::nullopt;
    // The bars are black on white: grey levels are all the reader needs.
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(),
                                ZXing::ImageFormat::Lum, int(grey.bytesPerLine()));
    try {
        const ZXing::Results found = ZXing::ReadBarcodes(
            view, ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::Code128));
        for (const ZXing::Result &result : found) {
            const QString text = QString::fromStdString(result.text());
            if (result.isValid() && FaceCode::isCardCode(text))
                return text;
        }
    } catch (const std::exception &) {
        // A reader that gives up on a picture has found no card in it.
    }
    return std::nullopt;
}

} // namespace CardReader
