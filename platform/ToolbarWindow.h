#pragma once

class QWidget;

namespace ToolbarWindow {

// Has the window manager treat window as a toolbar window from the moment
// its native window is made, before it is shown. Some window managers
// (openbox among them) ignore the Motif hints that drop the minimise button,
// but give a toolbar window none; Qt passes the type on only to a window that
// the window system has made already, so it is set each time one is made.
void mark(QWidget *window);

} // namespace ToolbarWindow
