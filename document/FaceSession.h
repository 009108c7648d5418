#pragma once

#include "document/FaceParts.h"

#include <QObject>
#include <QString>

class FaceHistory;
class FileDlg;
class QWidget;

// The face the user is making and its file: reading and writing it, and the
// one question that guards it, "save first?", asked before New, Open or the
// end of the program drops a modified face. It holds no widgets and talks to
// the user only through the message and file dialogs, so it is tested
// without a window. It changes the face only through the face's history.
class FaceSession : public QObject
{
    Q_OBJECT

public:
    // owner is the window the dialogs belong to; fileDialog the program's one
    // file dialog object, shared with the other commands; face the face it
    // reads and writes.
    FaceSession(QWidget *owner, FileDlg &fileDialog, FaceHistory &face);

    const FaceDocument &document() const;

    // Reads the face file fileName into the face: the file named when the
    // program starts. A name that names nothing yet starts an empty face that
    // Save creates. A file that cannot be read, or is not a face file, is
    // reported and changes nothing: neither the face nor the name of its file.
    void LoadFace(const QString &fileName);

    // The commands of the File menu.
    void newFace();
    void open();
    // Open without the dialog: the face file fileName, after the same
    // question as Open. Like Open, it reports a file that is missing.
    void openFile(const QString &fileName);
    // After the same question as Open, the face becomes these parts: a face
    // read from somewhere other than a face file (an exported picture). It
    // has no file yet, and counts as modified, since no face file holds it.
    void adoptFace(const FaceParts &partFiles, const FaceParts &partCodes);
    // The question Open asks before another face replaces a modified one
    // (a face code from a dropped card): true when the face may be replaced.
    bool askBeforeReplacing();
    // Both true when the face was written.
    bool save();
    bool saveAs();

    // The exit check: true when the program may end. A modified face is
    // saved first when the user wants; a save that did not happen keeps the
    // program running.
    bool confirmEnd();

    // The desktop asks whether it may log out. interactionAllowed says whether
    // questions may be asked, dialogOpen whether a dialog of the program's is
    // open at the moment. True when the logout may go on. The answer holds
    // for that logout only: once the user works with the program again (a
    // logout cancelled by another program), the exit check asks as before.
    bool answerLogout(bool interactionAllowed, bool dialogOpen);
    void userActed() { m_endConfirmed = false; }

    // The program is told to end without the exit check (a signal): a face
    // with changes nobody saved is kept for the next start.
    void keepForRecovery();
    // At start-up: a face kept that way is offered back; taken, it is the
    // face again, with its file's name and its changes still to save.
    void offerRecovery();

    // Whether one of the session's dialogs is open.
    bool isAsking() const { return m_asking > 0; }

private:
    bool askSaveFirst(const QString &question, const QString &title);
    bool askBeforeOpening();
    // Read at start-up, the face starts the history; opened later, it is a
    // step of it.
    void readFace(const QString &fileName, bool atStart = false);
    bool writeFace(const QString &fileName);
    void showError(const QString &prompt, const QString &detail = {});

    QWidget *m_owner;
    FileDlg &m_fileDialog;
    FaceHistory &m_face;
    // Dialogs of the session open at the moment (counted, so a logout
    // request arriving meanwhile can be turned down).
    int m_asking = 0;
    bool m_endConfirmed = false;
};
