#include "document/FaceDrop.h"

#include "document/FaceFile.h"
#include "document/FaceFileMessages.h"
#include "document/FaceSession.h"
#include "output/CardReader.h"
#include "output/PictureEncoders.h"
#include "platform/FileMessages.h"
#include "platform/MsgBox.h"
#include "platform/PictureFile.h"
#include "platform/RegularFile.h"
#include "selection/FaceCodeEntry.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QWidget>

using namespace Qt::StringLiterals;

FaceDrop::FaceDrop(QWidget *owner, FaceSession &session, const QList<QPointer<ItemSelect>> &pickers,
                   std::function<void()> redraw)
    : m_owner(owner), m_session(session), m_pickers(pickers), m_redraw(std::move(redraw))
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

void FaceDrop::openFile(const QString &path)
{
    // Only a regular file is read: reading a FIFO would wait for ever.
    const RegularFile::Result file = RegularFile::head(path, FaceFile::MaxFileBytes);
    if (!file.ok()) {
        refuse(FileMessages::cannotRead(path, file));
        return;
    }

    if (FaceFile::read(file.bytes).ok()) {
        m_session.openFile(path);
        return;
    }

    // An exported picture: its face file goes through the reader, and the
    // reader's refusals hold for it as for a file.
    if (const auto memo = PictureEncoders::readMemo(path); memo && !memo->faceFile.isEmpty()) {
        const FaceFile::ReadResult face = FaceFile::read(memo->faceFile);
        if (!face.ok()) {
            refuse(FaceFile::readRefusalMessage(face.reason));
            return;
        }
        m_session.adoptFace(face.PartFiles, face.PartCodes);
        return;
    }

    if (const auto code = CardReader::faceCode(PictureFile::read(path))) {
        FaceCodeEntry::enter(*code, m_pickers);
        m_redraw();
        return;
    }
    refuse(u"「%1」からは顔を開けません。\r"
           u"開けるのは顔ファイル、かおぐみで書き出した画像、印刷したカードの写真です。"_s.arg(
               QDir::toNativeSeparators(path)));
}

void FaceDrop::refuse(const QString &prompt)
{
    MsgBox::show(m_owner,
                 {prompt, MsgBox::Buttons::Ok, MsgBox::Icon::Critical, {}, MsgBox::Answer::Ok});
}
