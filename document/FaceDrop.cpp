#include "document/FaceDrop.h"

#include "document/FaceCode.h"
#include "document/FaceFile.h"
#include "document/FaceFileMessages.h"
#include "document/FaceSession.h"
#include "output/CardReader.h"
#include "output/PictureEncoders.h"
#include "platform/FileMessages.h"
#include "platform/MsgBox.h"
#include "platform/PictureFile.h"
#include "platform/RegularFile.h"

#include <QBuffer>
#include <QDir>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

using namespace Qt::StringLiterals;

FaceDrop::FaceDrop(QWidget *owner, FaceSession &session,
                   std::function<void(const QString &)> enterCode)
    : m_owner(owner), m_session(session), m_enterCode(std::move(enterCode))
{
}

void FaceDrop::accept(QDropEvent &event)
{
    if (!(event.possibleActions() & Qt::CopyAction))
        return;
    event.setDropAction(Qt::CopyAction);
    event.accept();
}

void FaceDrop::drop(QDropEvent &event)
{
    accept(event);
    if (!event.isAccepted())
        return;
    // The drop's data belongs to the drag and ends with it: the names are
    // kept.
    const QList<QUrl> urls = event.mimeData() ? event.mimeData()->urls() : QList<QUrl>();
    QTimer::singleShot(0, m_owner, [this, urls] { open(urls); });
}

void FaceDrop::open(const QList<QUrl> &urls)
{
    if (urls.size() > 1) {
        refuse(u"一度に開ける顔は一つです。\rファイルを一つだけドロップしてください。"_s);
        return;
    }
    if (urls.isEmpty() || !urls.first().isLocalFile()) {
        refuse(u"ドロップされたものは、このコンピューターのファイルではありません。\r"
               u"顔ファイルか顔の画像をドロップしてください。"_s);
        return;
    }
    openFile(urls.first().toLocalFile());
}

namespace {

// A dropped file is read once, at most this much: a photo of a card from a
// phone or a scan takes a few megabytes, an exported picture less.
constexpr qint64 kMaxDroppedBytes = qint64(64) << 20;

// The formats a dropped picture is decoded from: what the export writes
// (BMP, PNG, JPEG, GIF) and what phones and scanners give of a printed card
// (JPEG, PNG, TIFF, WebP). No other decoder ever sees a dropped file: an SVG
// drawn at the canvas it names kept the window busy for minutes. An SVG the
// export wrote is read for its memo alone, from its first bytes, and never
// drawn.
const QList<QByteArray> kDroppedFormats{"png", "jpeg", "gif", "bmp", "tiff", "webp"};

} // namespace

void FaceDrop::openFile(const QString &path)
{
    // Only a regular file is read, and only once: what it is, is decided
    // from these bytes. Reading a FIFO would wait for ever.
    const RegularFile::Result file = RegularFile::head(path, kMaxDroppedBytes + 1);
    if (!file.ok()) {
        refuse(FileMessages::cannotRead(path, file));
        return;
    }
    openBytes(file.bytes, u"「%1」"_s.arg(QDir::toNativeSeparators(path)), path);
}

void FaceDrop::openBytes(const QByteArray &bytes, const QString &what, const QString &path)
{
    const bool small = bytes.size() <= kMaxDroppedBytes;
    // An exported picture: its face file goes through the reader, and the
    // reader's refusals hold for it as for a file. Told before a face file,
    // since the text of an SVG may pass for a face file's fields.
    if (const auto memo = small ? PictureEncoders::readMemo(bytes) : std::nullopt;
        memo && !memo->faceFile.isEmpty()) {
        const FaceFile::ReadResult face = FaceFile::read(memo->faceFile);
        if (!face.ok()) {
            refuse(FaceFile::readRefusalMessage(face.reason));
            return;
        }
        m_session.adoptFace(face.PartFiles, face.PartCodes);
        return;
    }

    // A face file is opened as Open opens it: the session reads it again,
    // as a regular file, after "save first?", whose Save may have written it.
    if (!path.isEmpty() && FaceFile::read(bytes.left(FaceFile::MaxFileBytes)).ok()) {
        m_session.openFile(path);
        return;
    }

    if (small) {
        const QImage picture = PictureFile::decode(bytes, kDroppedFormats, CardReader::LargestSide);
        if (const auto code = CardReader::faceCode(picture)) {
            enterCode(*code);
            return;
        }
    }
    refuse(
        u"%1からは顔を開けません。\r"
        u"開けるのは顔ファイル、かおぐみで書き出した画像、印刷したカードの写真です。"_s.arg(what));
}

void FaceDrop::enterCode(const QString &code)
{
    // The code replaces the face as a face file would: a modified face is
    // saved first when the user wants it kept.
    if (m_session.askBeforeReplacing())
        m_enterCode(code);
}

void FaceDrop::paste(const QMimeData &data)
{
    // A face code comes first: Copy puts one beside the picture, which
    // carries no face of its own.
    const QString what = u"貼り付けたもの"_s;
    if (data.hasUrls()) {
        open(data.urls());
    } else if (const QString text = data.text().trimmed(); FaceCode::isCardCode(text)) {
        enterCode(text);
    } else if (data.hasFormat(u"image/png"_s)) {
        openBytes(data.data(u"image/png"_s), what, {});
    } else if (data.hasImage()) {
        // A picture without its file's bytes has lost any face it carried;
        // a card's barcode can still be read from it.
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        qvariant_cast<QImage>(data.imageData()).save(&buffer, "PNG");
        openBytes(png, what, {});
    } else {
        refuse(u"貼り付けたものからは顔を開けません。\r"
               u"貼り付けられるのは顔ファイル、顔の画像、カードの写真、顔コードです。"_s);
    }
}

void FaceDrop::refuse(const QString &prompt)
{
    MsgBox::show(m_owner,
                 {prompt, MsgBox::Buttons::Ok, MsgBox::Icon::Critical, {}, MsgBox::Answer::Ok});
}
