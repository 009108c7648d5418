#pragma once

// For tests of the real dialogs: act on a modal dialog while its event loop
// runs. Header only.

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTimer>

#include <chrono>
#include <functional>

// Watches for the modal dialog of type T and runs act on it once it is open.
// The watch belongs to the test function that makes it and ends with it, so it
// never acts on a later test's dialog. At its deadline it gives up, records
// that, and closes whatever modal dialog is open, so that a dialog nobody
// answers fails the test instead of hanging it: the test checks fired().
template <typename T> class [[nodiscard]] DialogWatch
{
public:
    explicit DialogWatch(std::function<void(T *)> act,
                         std::chrono::milliseconds deadline = std::chrono::seconds(10))
        : m_act(std::move(act)), m_deadline(deadline)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(10);
    }
    DialogWatch(const DialogWatch &) = delete;
    DialogWatch &operator=(const DialogWatch &) = delete;

    // Whether the dialog came and act ran on it.
    bool fired() const { return m_fired; }
    // Whether the deadline passed first.
    bool timedOut() const { return m_timedOut; }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<T *>(modal)) {
            m_timer.stop();
            m_fired = true;
            m_act(dialog);
        } else if (m_deadline.hasExpired()) {
            m_timer.stop();
            m_timedOut = true;
            if (auto *other = qobject_cast<QDialog *>(modal))
                other->reject();
        }
    }

    std::function<void(T *)> m_act;
    QDeadlineTimer m_deadline;
    bool m_fired = false;
    bool m_timedOut = false;
    QTimer m_timer; // last: stopped and gone before the rest
};

// Keep the result for the length of the test:
//     const auto watch = whenOpen<QMessageBox>([&](QMessageBox *box) { ... });
//     ...
//     QVERIFY(watch.fired());
template <typename T>
DialogWatch<T> whenOpen(std::function<void(T *)> act,
                        std::chrono::milliseconds deadline = std::chrono::seconds(10))
{
    return DialogWatch<T>(std::move(act), deadline);
}
