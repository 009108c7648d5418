#include "platform/ToolbarWindow.h"

#include <QEvent>
#include <QWidget>

namespace ToolbarWindow {

namespace {

class Marker : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WinIdChange) {
            auto *window = static_cast<QWidget *>(watched);
            window->setAttribute(Qt::WA_X11NetWmWindowTypeToolBar, false);
            window->setAttribute(Qt::WA_X11NetWmWindowTypeToolBar, true);
        }
        return false;
    }
};

} // namespace

void mark(QWidget *window)
{
    window->installEventFilter(new Marker(window));
}

} // namespace ToolbarWindow
