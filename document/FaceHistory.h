#pragma once

#include "document/Categories.h"
#include "document/FaceParts.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QUndoStack;

// The face the user is making: its parts, the name of its file and its
// history. This is the one object that writes the face. Every change is a
// command on its undo stack, one step each, and ends in changed(); the
// window draws the face again on that signal. Whether the face has changes
// to save is the stack's clean state: undoing back to the face last read or
// written leaves nothing to save.
//
// A new kind of change is one more method here that builds the face it
// wants and hands it to step() (or replace() when it brings a file name of
// its own); undo, redo and Modified follow by themselves.
class FaceHistory : public QObject
{
    Q_OBJECT

public:
    // How a change came about. The pickers show the face after every change
    // but the ones they made themselves.
    enum class Change {
        Decision, // a picker took a part: the pickers stay where they are
        Face,     // the face changed any other way
        State,    // only the file's name or Modified changed
    };
    Q_ENUM(Change)

    // How many steps can be undone.
    static constexpr int Steps = 100;

    explicit FaceHistory(QObject *parent = nullptr);
    ~FaceHistory() override;

    const FaceDocument &document() const { return m_doc; }
    QUndoStack &undoStack() { return *m_stack; }

    // A picker's decision: one part of the face.
    void takePart(Category category, const QString &partFile, const QString &code);
    // Parts of the face replaced as one step named text.
    void changeParts(const FaceParts &partFiles, const FaceParts &partCodes, const QString &text);
    // Another face in place of this one, with the name of its file (empty:
    // none yet), as one step. saved says whether the file holds the face as
    // it is; if not, the face has changes to save.
    void replace(const FaceParts &partFiles, const FaceParts &partCodes, const QString &fileName,
                 bool saved, const QString &text);
    // The same without a step: the face the program starts with.
    void start(const FaceParts &partFiles, const FaceParts &partCodes, const QString &fileName,
               bool saved);
    // The face was written to fileName, which is now its file.
    void markSaved(const QString &fileName);

    // Runs changes, gathering the decisions it makes into one step named text
    // (a face code entry makes all open pickers decide).
    void asOneStep(const QString &text, const std::function<void()> &changes);

Q_SIGNALS:
    void changed(FaceHistory::Change change);

private:
    struct State
    {
        FaceParts PartFiles;
        FaceParts PartCodes;
        QString FaceFileName;
    };
    class Step;

    void step(const State &after, bool keepsName, const QString &text, Change change);
    void apply(const State &state, Change change);
    void updateModified();

    FaceDocument m_doc;
    std::unique_ptr<QUndoStack> m_stack;
    // While asOneStep runs: the face its decisions make.
    std::optional<FaceDocument> m_gathered;
};
