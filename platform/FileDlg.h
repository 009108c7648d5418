#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

class QWidget;

// The shared file dialog object; its dialogs join with the Open, Save As and
// picture export commands. The program keeps one, so what one command leaves
// in it (the file name above all) is what the next command's dialog offers.
class FileDlg
{
public:
    // One entry of a filter list such as "顔データ|*.kgm|すべてのファイル |*.*|".
    struct NameFilter
    {
        QString description;  // shown in the file type box exactly as written
        QStringList patterns; // the wildcards the file list matches; "*.*" is "*"
        QString qtFilter;     // the entry as QFileDialog takes it: "顔データ (*.kgm)"
        QString suffix;       // added by the save dialog to a name typed without one
    };

    // Turns a filter list, description and pattern alternating and each
    // followed by "|", into dialog entries. A pattern may hold several
    // patterns separated by ";". The last "|" may be missing; an entry without
    // a pattern is dropped.
    static QList<NameFilter> parseFilterList(const QString &list);

    // A name typed without an extension gets suffix, unless suffix is empty or
    // the name is that of an existing folder: the rule of the save dialog.
    static QString withDefaultSuffix(const QString &path, const QString &suffix);

    enum class Kind { Open, Save, Folder };

    // What the dialog would show.
    struct Request
    {
        Kind kind = Kind::Open;
        QString title;
        QStringList nameFilters;  // as QFileDialog takes them
        QStringList descriptions; // as the file type box shows them
        int selectedFilter = -1;  // the first entry; -1 when the lists are empty
        QString directory;        // the folder the dialog shows first
        QString fileName;         // the name box's text (the selected folder's name)
        bool mustExist = false;   // only existing files can be chosen
        QString defaultSuffix;    // given to a name typed without an extension under
                                  // the filter the dialog opens with
    };

    // What the user did: the path typed or picked and the filter selected when
    // the user accepted. The real dialog answers the same way as a scripted
    // user, and both answers become the chosen path by one rule: a relative
    // path is taken in the request's directory, and for a save a name without
    // an extension gets the selected filter's extension.
    struct Answer
    {
        bool accepted = false;
        QString path;
        int selectedFilter = 0;
    };

    using Handler = std::function<Answer(const Request &)>;
    // Replaces the dialogs with handler (an empty one restores the dialogs).
    static void setHandler(Handler handler);

    // The open and save dialogs, modal to lngHWnd. An empty strFilter takes
    // Filter; an empty strDefDir the current folder, and a Filename with a
    // folder part opens in that folder instead. The full path chosen, also
    // left in Filename; "" when the user cancelled, with Cancel set and
    // Filename unchanged.
    QString ShowOpen(QWidget *lngHWnd, const QString &strFilter = {},
                     const QString &strDefDir = {});
    QString ShowSave(QWidget *lngHWnd, const QString &strFilter = {},
                     const QString &strDefDir = {});

    // The folder dialog, selecting strDefDir when it is not empty. The folder
    // chosen with one "/" at its end; "" when the user cancelled, with Cancel
    // set. Flag is accepted for callers that pass one and has no effect.
    QString ShowDir(QWidget *lngHWnd, const QString &strDefDir, int Flag = 0);

    // Whether the last dialog was closed without a choice.
    bool Cancel() const { return m_cancel; }
    void setCancel(bool cancel) { m_cancel = cancel; }

    // Before a dialog: the name it offers. After one: the path chosen.
    QString Filename() const { return m_filename; }
    void setFilename(const QString &filename) { m_filename = filename; }

    // Extra option bits. With none, the open dialog only takes existing files;
    // any bit set lets it take any name.
    qint32 Flags() const { return m_flags; }
    void setFlags(qint32 flags) { m_flags = flags; }

    // The filter list used when a call passes none.
    QString Filter() const { return m_filter; }
    void setFilter(const QString &filter) { m_filter = filter; }

    // The caption of the open and save dialogs.
    QString Title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }

private:
    QString showFileDialog(Kind kind, QWidget *parent, const QString &filter,
                           const QString &defDir);

    bool m_cancel = false;
    QString m_filename;
    qint32 m_flags = 0;
    QString m_filter;
    QString m_title;
};
