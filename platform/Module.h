#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The help launcher. The manual is shown by the help viewer (Qt Assistant), a
// process of its own that the program starts, later brings to the front, and
// never closes.
namespace Module {

// The process id of the help viewer ShowHelp started last; 0 until then. It is
// never cleared: the id of a viewer the user has closed simply fails the next
// activation.
extern qint32 HelpTaskId;

// Brings the running help viewer to the front; when there is none, starts one
// on the manual beside the program, at topic (a page of the manual such as
// "/parts.html") when one is given. A viewer that cannot be started at all is
// reported in a message box with the reason.
void ShowHelp(const QString &topic);
// ShowHelp with applicationFolder in place of the program's own folder.
void showHelpIn(const QString &applicationFolder, const QString &topic);

// The help collection file inside applicationFolder and the viewer's program.
inline constexpr char16_t kHelpCollection[] = u"kaogumi.qhc";
QString viewerProgram();

// How the viewer is started and brought to the front. start returns the new
// process's id, or 0 with the reason in *error; activate says whether a window
// of the process pid was brought to the front.
struct Viewer
{
    std::function<qint64(const QString &program, const QStringList &arguments, QString *error)>
        start;
    std::function<bool(qint64 pid)> activate;
};
// Replaces the real viewer (tests); an empty member restores the real one.
void setViewer(Viewer viewer);

// The real ones: starts program detached, in Japanese and on the desktop's
// window system whatever the program itself runs on; activates the top-level
// window whose _NET_WM_PID is pid, through the window manager when there is
// one, by raising and focusing it where there is none.
qint64 startViewer(const QString &program, const QStringList &arguments, QString *error);
bool activateProcessWindow(qint64 pid);

} // namespace Module
