// Linked into a program beside its own main(), ends the program once every
// window it has shown has been painted: the whole process then lasts from
// its start to the first picture the user sees, plus its normal ending. The
// program itself is not changed; the filter is installed as the application
// object is made.
#include <QApplication>
#include <QEvent>
#include <QSet>
#include <QWidget>

namespace {

class FirstPaintExit : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_quitting) {
            if (auto *widget = qobject_cast<QWidget *>(watched)) {
                m_painted.insert(widget->window());
                if (everyWindowPainted()) {
                    m_quitting = true;
                    // Queued, so the rest of this paint pass reaches the
                    // screen before the program ends.
                    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool everyWindowPainted() const
    {
        bool any = false;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (!window->isVisible())
                continue;
            if (!m_painted.contains(window))
                return false;
            any = true;
        }
        return any;
    }

    QSet<QWidget *> m_painted;
    bool m_quitting = false;
};

void installFirstPaintExit()
{
    qApp->installEventFilter(new FirstPaintExit(qApp));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installFirstPaintExit)
