#include "document/FaceSession.h"

#include "document/FaceFile.h"
#include "document/FaceFileMessages.h"
#include "document/FaceHistory.h"
#include "document/FaceRecovery.h"
#include "platform/AtomicFile.h"
#include "platform/FileDlg.h"
#include "platform/FileMessages.h"
#include "platform/MsgBox.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// The choices of the open and save dialogs for face files.
const QString kFaceFilter = u"顔データ|*.kgm|すべてのファイル |*.*|"_s;

QString nativeName(const QString &fileName)
{
    return QDir::toNativeSeparators(fileName);
}

// Counts a dialog of the session as open for as long as it lives.
class Asking
{
public:
    explicit Asking(int &count) : m_count(count) { ++m_count; }
    ~Asking() { --m_count; }
    Asking(const Asking &) = delete;
    Asking &operator=(const Asking &) = delete;

private:
    int &m_count;
};

} // namespace

FaceSession::FaceSession(QWidget *owner, FileDlg &fileDialog, FaceHistory &face)
    : m_owner(owner), m_fileDialog(fileDialog), m_face(face)
{
}

const FaceDocument &FaceSession::document() const
{
    return m_face.document();
}

void FaceSession::LoadFace(const QString &fileName)
{
    QFileInfo info(fileName);
    if (!info.exists()) {
        // A name that names nothing yet is a new face that Save will create.
        m_face.start({}, {}, fileName, true);
        return;
    }
    readFace(fileName, true);
}

void FaceSession::readFace(const QString &fileName, bool atStart)
{
    // A file chosen to be opened that is gone by now (deleted since it was
    // chosen or dropped) is reported like any file that cannot be read: taken
    // as a new face, it would empty the face on screen without a word.
    const RegularFile::Result file = RegularFile::head(fileName, FaceFile::MaxFileBytes);
    if (!file.ok()) {
        // The face on screen stays as it is, and so does the file it belongs to.
        showError(FileMessages::cannotRead(fileName, file));
        return;
    }

    const FaceFile::ReadResult face = FaceFile::read(file.bytes);
    if (!face.ok()) {
        // The message is the same for every file: the detail says which one,
        // as a file named at start-up is seen nowhere else.
        showError(FaceFile::readRefusalMessage(face.reason), u"「%1」"_s.arg(nativeName(fileName)));
        return;
    }
    if (atStart)
        m_face.start(face.PartFiles, face.PartCodes, fileName, true);
    else
        m_face.replace(face.PartFiles, face.PartCodes, fileName, true, u"開く"_s);
}

void FaceSession::showError(const QString &prompt, const QString &detail)
{
    const Asking asking(m_asking);
    MsgBox::show(
        m_owner,
        {prompt, MsgBox::Buttons::Ok, MsgBox::Icon::Critical, {}, MsgBox::Answer::Ok, detail});
}

bool FaceSession::writeFace(const QString &fileName)
{
    const FaceDocument &doc = document();
    const FaceFile::WriteResult face = FaceFile::write(doc.PartFiles, doc.PartCodes);
    QString reason;
    if (!face.ok()) {
        reason = FaceFile::writeRefusalMessage(face.reason);
    } else {
        const AtomicFile::Result written = AtomicFile::write(fileName, face.bytes);
        if (!written.ok())
            reason = FileMessages::reason(written);
    }
    if (!reason.isEmpty()) {
        showError(u"「%1」に保存できませんでした。\r%2"_s.arg(nativeName(fileName), reason));
        return false;
    }
    m_face.markSaved(fileName);
    return true;
}

bool FaceSession::askSaveFirst(const QString &question, const QString &title)
{
    if (!document().Modified)
        return true;
    MsgBox::Answer answer;
    {
        const Asking asking(m_asking);
        answer = MsgBox::show(m_owner, {question, MsgBox::Buttons::YesNoCancel,
                                        MsgBox::Icon::Question, title, MsgBox::Answer::Yes});
    }
    switch (answer) {
    case MsgBox::Answer::Yes:
        // A save that did not happen (it failed, or no name was chosen) keeps
        // the face rather than losing it.
        return save();
    case MsgBox::Answer::No:
        return true;
    default:
        return false;
    }
}

void FaceSession::newFace()
{
    // The face on screen is saved first when the user wants it kept. The new
    // face has nothing of the old one: no parts, no codes that would name
    // them in its face code and on its card, and no file, so that its first
    // Save asks for a name instead of writing over the face opened before.
    if (!askSaveFirst(u"新しい顔にします。\r今の顔を保存しますか？"_s, u"新規"_s))
        return;
    m_face.replace({}, {}, {}, true, u"新規"_s);
}

bool FaceSession::askBeforeOpening()
{
    return askSaveFirst(u"ほかの顔を開きます。\r今の顔を保存しますか？"_s, u"顔を開く"_s);
}

void FaceSession::open()
{
    if (!askBeforeOpening())
        return;
    m_fileDialog.setTitle(u"顔を開く"_s);
    m_fileDialog.setFilter(kFaceFilter);
    {
        const Asking asking(m_asking);
        m_fileDialog.ShowOpen(m_owner, {}, {});
    }
    if (m_fileDialog.Cancel())
        return;
    readFace(m_fileDialog.Filename());
}

void FaceSession::openFile(const QString &fileName)
{
    if (askBeforeOpening())
        readFace(fileName);
}

void FaceSession::adoptFace(const FaceParts &partFiles, const FaceParts &partCodes)
{
    if (!askBeforeOpening())
        return;
    // Save asks for a name: the face must not be written over the picture it
    // came from, nor over the file of the face it replaces.
    m_face.replace(partFiles, partCodes, {}, false, u"開く"_s);
}

bool FaceSession::askBeforeReplacing()
{
    return askBeforeOpening();
}

bool FaceSession::save()
{
    if (document().FaceFileName.isEmpty())
        return saveAs();
    return writeFace(document().FaceFileName);
}

bool FaceSession::saveAs()
{
    m_fileDialog.setTitle(u"顔の保存"_s);
    m_fileDialog.setFilter(kFaceFilter);
    {
        const Asking asking(m_asking);
        m_fileDialog.ShowSave(m_owner, {}, {});
    }
    if (m_fileDialog.Cancel())
        return false;
    // The face takes the new name only once it is written there: a name that
    // cannot be written to would make every later Save fail the same way
    // without offering the dialog again.
    return writeFace(m_fileDialog.Filename());
}

bool FaceSession::confirmEnd()
{
    if (m_endConfirmed)
        return true;
    return askSaveFirst(u"かおぐみを終了します。\r顔を保存しますか？"_s, u"かおぐみの終了"_s);
}

void FaceSession::keepForRecovery()
{
    const FaceDocument &doc = document();
    if (doc.Modified)
        FaceRecovery::keep(doc.PartFiles, doc.PartCodes, doc.FaceFileName);
}

void FaceSession::offerRecovery()
{
    for (const FaceRecovery::Kept &kept : FaceRecovery::pending()) {
        MsgBox::Answer answer;
        {
            const Asking asking(m_asking);
            const QString of = kept.FaceFileName.isEmpty()
                                   ? QString()
                                   : u"「%1」"_s.arg(nativeName(kept.FaceFileName));
            answer = MsgBox::show(m_owner, {u"前回、保存されないまま終わった顔があります。\r"
                                            u"その顔を開きますか？"_s,
                                            MsgBox::Buttons::YesNo,
                                            MsgBox::Icon::Question,
                                            {},
                                            MsgBox::Answer::Yes,
                                            of});
        }
        FaceRecovery::discard(kept);
        if (answer != MsgBox::Answer::Yes)
            continue;
        m_face.replace(kept.PartFiles, kept.PartCodes, kept.FaceFileName, false, u"開く"_s);
        // Any other kept face waits for the next start.
        return;
    }
}

bool FaceSession::answerLogout(bool interactionAllowed, bool dialogOpen)
{
    if (!document().Modified)
        return true;
    // A question asked inside an open dialog would stack a second dialog on
    // the first and run the same commands again from within them; that
    // logout is turned down, and the user finishes what they are doing.
    if (dialogOpen || isAsking())
        return false;
    if (!interactionAllowed)
        return true;
    m_endConfirmed = confirmEnd();
    return m_endConfirmed;
}
