#pragma once

#include <QList>
#include <QUrl>

#include <functional>

class FaceSession;
class QDropEvent;
class QMimeData;
class QWidget;

// Files dropped on the main window. What a file is, is told by its contents,
// never by its name:
//   a face file (whatever the face file reader takes) opens as Open opens it;
//   a picture the program exported brings back the face whose face file it
//     carries, read by the same reader; nothing else in it is trusted;
//   a picture of a printed card enters the face code of its barcode as the
//     face code entry does with a typed code, after the same "save first?"
//     as a face file;
// anything else is refused with a message and changes nothing. So is a drop
// of several files, since the order in which they come is the file
// manager's and not the user's, and a drop of anything that is not a file
// on this computer. Paste takes the same from the clipboard, and a face
// code as text besides.
class FaceDrop
{
public:
    // owner is the window the messages belong to; enterCode enters a face
    // code as the face code entry does with a typed code.
    FaceDrop(QWidget *owner, FaceSession &session, std::function<void(const QString &)> enterCode);

    // A drag entering the window: anything offered as a copy is let in, so
    // that what cannot be opened is told why when it is dropped. The file
    // is never taken as a move, which would have it deleted where it was.
    static void accept(QDropEvent &event);

    // The drop: accepted as a copy at once, and opened once the drag has
    // ended, since the program the drag came from waits until the drop is
    // answered and the messages of opening may wait on the user.
    void drop(QDropEvent &event);

    // Opens what a drop of urls brings.
    void open(const QList<QUrl> &urls);

    // Opens what the clipboard holds: files as a drop brings them, a picture
    // as if it were a dropped file, or a face code a card carries as text.
    void paste(const QMimeData &data);

private:
    void refuse(const QString &prompt);
    void openFile(const QString &path);
    // Opens bytes read from what (a file's name in brackets, or the words
    // for the clipboard); path is the file's, if they came from one.
    void openBytes(const QByteArray &bytes, const QString &what, const QString &path);
    void enterCode(const QString &code);

    QWidget *m_owner;
    FaceSession &m_session;
    std::function<void(const QString &)> m_enterCode;
};
