#pragma once

// For tests of the real dialogs: act on a modal dialog while its event loop
// runs. Header only.

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs act on the modal dialog of type T as soon as it is open. The watch
// ends by itself once it has acted; deleting it ends it before.
template <typename T> QPointer<QTimer> whenOpen(std::function<void(T *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
    return timer;
}
