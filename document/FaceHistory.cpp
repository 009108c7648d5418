#include "document/FaceHistory.h"

#include <QUndoStack>

// One change of the face: the state before and after it. A step that keeps
// the file's name leaves the name as it is then when it is undone or redone,
// so that undoing a decision after Save As keeps the new name.
class FaceHistory::Step : public QUndoCommand
{
public:
    Step(FaceHistory &history, State before, State after, bool keepsName, const QString &text,
         Change change)
        : QUndoCommand(text), m_history(history), m_before(std::move(before)),
          m_after(std::move(after)), m_keepsName(keepsName), m_change(change)
    {
    }

    void undo() override { apply(m_before); }
    void redo() override
    {
        apply(m_after);
        // Done again later, it is no longer the picker's own doing.
        m_change = Change::Face;
    }

private:
    void apply(State state)
    {
        if (m_keepsName)
            state.FaceFileName = m_history.m_doc.FaceFileName;
        m_history.apply(state, m_change);
    }

    FaceHistory &m_history;
    State m_before;
    State m_after;
    bool m_keepsName;
    Change m_change;
};

FaceHistory::FaceHistory(QObject *parent) : QObject(parent), m_stack(std::make_unique<QUndoStack>())
{
    m_stack->setUndoLimit(Steps);
    connect(m_stack.get(), &QUndoStack::cleanChanged, this, &FaceHistory::updateModified);
    connect(m_stack.get(), &QUndoStack::indexChanged, this, &FaceHistory::updateModified);
}

FaceHistory::~FaceHistory() = default;

void FaceHistory::takePart(Category category, const QString &partFile, const QString &code)
{
    FaceDocument &target = m_gathered ? *m_gathered : m_doc;
    State after{target.PartFiles, target.PartCodes, target.FaceFileName};
    Categories::field(after.PartFiles, category) = partFile;
    Categories::field(after.PartCodes, category) = code;
    if (m_gathered) {
        m_gathered->PartFiles = after.PartFiles;
        m_gathered->PartCodes = after.PartCodes;
        return;
    }
    step(after, true, Categories::word(category), Change::Decision);
}

void FaceHistory::changeParts(const FaceParts &partFiles, const FaceParts &partCodes,
                              const QString &text)
{
    step({partFiles, partCodes, m_doc.FaceFileName}, true, text, Change::Face);
}

void FaceHistory::replace(const FaceParts &partFiles, const FaceParts &partCodes,
                          const QString &fileName, bool saved, const QString &text)
{
    step({partFiles, partCodes, fileName}, false, text, Change::Face);
    if (saved)
        m_stack->setClean();
}

void FaceHistory::start(const FaceParts &partFiles, const FaceParts &partCodes,
                        const QString &fileName, bool saved)
{
    m_stack->clear();
    apply({partFiles, partCodes, fileName}, Change::Face);
    if (saved)
        m_stack->setClean();
    else
        m_stack->resetClean();
    updateModified();
}

void FaceHistory::markSaved(const QString &fileName)
{
    m_doc.FaceFileName = fileName;
    m_stack->setClean();
    Q_EMIT changed(Change::State);
}

void FaceHistory::asOneStep(const QString &text, const std::function<void()> &changes)
{
    m_gathered = m_doc;
    changes();
    const FaceDocument gathered = *m_gathered;
    m_gathered.reset();
    changeParts(gathered.PartFiles, gathered.PartCodes, text);
}

void FaceHistory::step(const State &after, bool keepsName, const QString &text, Change change)
{
    // A change that changes nothing is no step: きめる on the part the face
    // already has, or New on an empty face without a file.
    if (after.PartFiles == m_doc.PartFiles && after.PartCodes == m_doc.PartCodes &&
        after.FaceFileName == m_doc.FaceFileName)
        return;
    m_stack->push(new Step(*this, {m_doc.PartFiles, m_doc.PartCodes, m_doc.FaceFileName}, after,
                           keepsName, text, change));
}

void FaceHistory::apply(const State &state, Change change)
{
    m_doc.PartFiles = state.PartFiles;
    m_doc.PartCodes = state.PartCodes;
    m_doc.FaceFileName = state.FaceFileName;
    Q_EMIT changed(change);
}

void FaceHistory::updateModified()
{
    const bool modified = !m_stack->isClean();
    if (modified == m_doc.Modified)
        return;
    m_doc.Modified = modified;
    Q_EMIT changed(Change::State);
}
