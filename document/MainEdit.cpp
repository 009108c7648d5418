// The main window's side of the face's history: the Edit menu's commands on
// it, and what the window shows of the face each time it changes.
#include "document/Composite.h"
#include "document/FaceCode.h"
#include "document/FaceDrop.h"
#include "document/Main.h"
#include "platform/MsgBox.h"
#include "selection/FileListing.h"
#include "selection/ItemSelect.h"

#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QRandomGenerator>
#include <QUndoStack>

using namespace Qt::StringLiterals;

namespace {

// The items that keep a part as it is when おまかせ makes a face.
constexpr std::pair<Category, const char16_t *> kKeepItems[] = {
    {Category::Outline, u"E_KeepOutline"},
    {Category::Eyes, u"E_KeepEyes"},
    {Category::Hair, u"E_KeepHair"},
    {Category::Mouth, u"E_KeepMouth"},
};

} // namespace

void Main::connectHistory()
{
    QUndoStack &stack = m_history->undoStack();
    auto *undo = findChild<QAction *>(u"E_Undo"_s);
    auto *redo = findChild<QAction *>(u"E_Redo"_s);
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    // Greyed out at either end of the history.
    undo->setEnabled(stack.canUndo());
    redo->setEnabled(stack.canRedo());
    connect(&stack, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(&stack, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
}

void Main::faceChanged(FaceHistory::Change change)
{
    // "face.kgm - かおぐみ", with the mark of unsaved changes where the
    // desktop shows it; a name's own "[*]" is no mark.
    const FaceDocument &doc = document();
    QString name = doc.FaceFileName.isEmpty() ? u"無題"_s : QFileInfo(doc.FaceFileName).fileName();
    name.replace(u"[*]"_s, u"[*][*]"_s);
    setWindowTitle(u"%1[*] - %2"_s.arg(name, MsgBox::applicationTitle()));
    setWindowModified(doc.Modified);
    if (change == FaceHistory::Change::State)
        return;
    Render();
    if (change == FaceHistory::Change::Face)
        showFace(openPickers());
}

void Main::showFace(const QList<ItemSelect *> &pickers) const
{
    // A picker shows the part whose code the face holds, or its first part
    // when the face has none of its category; a code it has no part for
    // (a face of another parts library) leaves it where it is. Only what it
    // shows changes: nothing is decided.
    for (ItemSelect *picker : pickers) {
        const std::optional<Category> category = Categories::fromWord(picker->TypeName());
        if (!category)
            continue;
        const QString code = Categories::field(document().PartCodes, *category);
        bool isNumber = false;
        const int position = code.isEmpty() ? 0 : code.toInt(&isNumber);
        if ((code.isEmpty() || isNumber) && position >= 0 && position <= picker->highest())
            picker->setPosition(position);
    }
}

void Main::E_Undo_Click()
{
    m_history->undoStack().undo();
}

void Main::E_Redo_Click()
{
    m_history->undoStack().redo();
}

void Main::E_Copy_Click()
{
    // The picture the export writes, and the face code.
    const QImage picture =
        Composite::picture(Composite::loadLayers(m_appDir, document().PartFiles));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    auto *copied = new QMimeData;
    copied->setImageData(picture);
    copied->setData(u"image/png"_s, png);
    copied->setText(FaceCode::compose(document().PartCodes));
    QGuiApplication::clipboard()->setMimeData(copied);
}

void Main::E_Paste_Click()
{
    if (const QMimeData *held = QGuiApplication::clipboard()->mimeData())
        m_drop->paste(*held);
}

void Main::E_Random_Click()
{
    std::array<bool, 4> kept{};
    for (const auto &[category, name] : kKeepItems)
        kept[size_t(category)] = findChild<QAction *>(QString::fromUtf16(name))->isChecked();
    const FaceCode::Face face =
        FaceCode::randomFace({document().PartFiles, document().PartCodes},
                             FileListing::listLibrary(m_appDir), kept, *QRandomGenerator::global());
    m_history->changeParts(face.PartFiles, face.PartCodes, u"おまかせ"_s);
}
