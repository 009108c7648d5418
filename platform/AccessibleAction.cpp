#include "platform/AccessibleAction.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

namespace AccessibleAction {

namespace {

constexpr char kName[] = "kaogumiAccessibleName";
constexpr char kDescription[] = "kaogumiAccessibleDescription";

// The item as Qt's own menu item interface shows it, with our texts and a
// deferred press.
class Item : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    explicit Item(QAction *action) : m_action(action) {}

    bool isValid() const override { return m_action && owner(); }
    QObject *object() const override { return m_action; }
    QWindow *window() const override
    {
        QWidget *w = owner();
        return w ? w->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(owner());
    }
    QAccessibleInterface *child(int index) const override
    {
        QMenu *menu = m_action->menu();
        return index == 0 && menu ? QAccessible::queryAccessibleInterface(menu) : nullptr;
    }
    int childCount() const override { return m_action->menu() ? 1 : 0; }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child && m_action->menu() && child->object() == m_action->menu() ? 0 : -1;
    }
    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return m_action->property(kName).toString();
        case QAccessible::Description:
            return m_action->property(kDescription).toString();
        case QAccessible::Accelerator:
            return m_action->shortcut().toString(QKeySequence::NativeText);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        QWidget *w = owner();
        QRect r;
        if (auto *menu = qobject_cast<QMenu *>(w))
            r = menu->actionGeometry(m_action);
        else if (auto *bar = qobject_cast<QMenuBar *>(w))
            r = bar->actionGeometry(m_action);
        return w && r.isValid() ? QRect(w->mapToGlobal(r.topLeft()), r.size()) : QRect();
    }
    QAccessible::Role role() const override
    {
        if (m_action->isSeparator())
            return QAccessible::Separator;
        return QAccessible::MenuItem;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        QWidget *w = owner();
        s.disabled = !m_action->isEnabled();
        s.invisible = !w || !w->isVisible();
        s.focusable = true;
        if (auto *menu = qobject_cast<QMenu *>(w))
            s.focused = s.hotTracked = menu->activeAction() == m_action;
        else if (auto *bar = qobject_cast<QMenuBar *>(w))
            s.focused = s.hotTracked = bar->activeAction() == m_action;
        s.hasPopup = m_action->menu() != nullptr;
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }

    QStringList actionNames() const override
    {
        if (!m_action->isEnabled() || m_action->isSeparator())
            return {};
        return {m_action->menu() ? showMenuAction() : pressAction()};
    }
    void doAction(const QString &name) override
    {
        if (!actionNames().contains(name))
            return;
        // The bridge replies only once this returns.
        QTimer::singleShot(0, m_action, [action = m_action] {
            if (QMenu *menu = action->menu()) {
                if (auto *bar = qobject_cast<QMenuBar *>(menu->parentWidget()))
                    bar->setActiveAction(action);
            } else {
                action->trigger();
            }
        });
    }
    QStringList keyBindingsForAction(const QString &name) const override
    {
        if (name != pressAction() || m_action->shortcut().isEmpty())
            return {};
        return {m_action->shortcut().toString(QKeySequence::NativeText)};
    }

private:
    // The menu or menu bar that shows the item.
    QWidget *owner() const
    {
        if (!m_action)
            return nullptr;
        for (QObject *o : m_action->associatedObjects()) {
            if (qobject_cast<QMenu *>(o) && static_cast<QMenu *>(o)->menuAction() != m_action)
                return static_cast<QWidget *>(o);
            if (qobject_cast<QMenuBar *>(o))
                return static_cast<QWidget *>(o);
        }
        return nullptr;
    }

    QPointer<QAction> m_action;
};

QAccessibleInterface *factory(const QString &, QObject *object)
{
    auto *action = qobject_cast<QAction *>(object);
    return action && action->property(kName).isValid() ? new Item(action) : nullptr;
}

} // namespace

void describe(QAction *action, const QString &name, const QString &description)
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
    action->setProperty(kName, name);
    action->setProperty(kDescription, description);
}

} // namespace AccessibleAction
