#include "selection/PickerArrangement.h"

#include "document/Categories.h"
#include "selection/ItemSelect.h"

#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace PickerArrangement {

namespace {

// Outer rectangles are known only once the window manager has framed the
// windows, which it does after they are shown. Until then the column is placed
// with the frames Qt knows, and placed again as soon as the real frames are
// there, unless the user has moved a picker meanwhile.
class Column : public QObject
{
public:
    Column(QWidget *owner, const QList<ItemSelect *> &pickers) : QObject(owner), m_owner(owner)
    {
        for (ItemSelect *picker : pickers)
            m_pickers.append(picker);
        place();
        connect(&m_timer, &QTimer::timeout, this, &Column::settle);
        m_timer.start(20);
    }

private:
    void place()
    {
        const QRect mainFrame = m_owner->frameGeometry();
        int top = mainFrame.top();
        m_placed.clear();
        for (const QPointer<ItemSelect> &picker : std::as_const(m_pickers)) {
            if (!picker)
                continue;
            const QPoint at(mainFrame.left() + mainFrame.width(), top);
            picker->move(at);
            m_placed.append(at);
            top += picker->frameGeometry().height();
        }
    }

    bool framesKnown() const
    {
        for (const QPointer<ItemSelect> &picker : m_pickers) {
            if (picker && picker->windowHandle() && picker->windowHandle()->frameMargins().isNull())
                return false;
        }
        return !m_owner->windowHandle() || !m_owner->windowHandle()->frameMargins().isNull();
    }

    bool movedByUser() const
    {
        qsizetype k = 0;
        for (const QPointer<ItemSelect> &picker : m_pickers) {
            if (picker && k < m_placed.size() && picker->pos() != m_placed.at(k++))
                return true;
        }
        return false;
    }

    void settle()
    {
        // Without a window manager there are no frames to wait for; half a
        // second is far longer than any manager takes.
        const bool last = ++m_ticks >= 25;
        if (!framesKnown() && !last)
            return;
        m_timer.stop();
        if (!movedByUser())
            place();
        deleteLater();
    }

    QWidget *m_owner;
    QList<QPointer<ItemSelect>> m_pickers;
    QList<QPoint> m_placed;
    QTimer m_timer;
    int m_ticks = 0;
};

} // namespace

QList<ItemSelect *> openPickers(QWidget *owner, const QString &appDir)
{
    QList<ItemSelect *> pickers;
    for (Category category : Categories::Pickers) {
        auto *picker = new ItemSelect(appDir);
        picker->setTypeName(Categories::word(category));
        picker->Form_Load();
        pickers.append(picker);
    }
    new Column(owner, pickers);
    // Wayland places every window itself: as transient children of the main
    // window the pickers at least stay with it, above it and in its group.
    const bool placedByCompositor = QGuiApplication::platformName() == u"wayland"_s;
    // A child's parent must be on the screen before the child: the
    // compositor is told of the parent when the child's surface is made.
    if (placedByCompositor)
        owner->show();
    for (ItemSelect *picker : std::as_const(pickers)) {
        if (placedByCompositor) {
            picker->winId();
            picker->windowHandle()->setTransientParent(owner->windowHandle());
        }
        picker->show();
    }
    return pickers;
}

} // namespace PickerArrangement
