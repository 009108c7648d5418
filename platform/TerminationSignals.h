#pragma once

#include <QObject>

class QSocketNotifier;

// The requests to end that come as signals: SIGTERM (a logout, a shutdown,
// kill) and SIGHUP (the terminal closed). Ctrl+C (SIGINT) stays what it is,
// the user's own interrupt. Left to
// themselves they end the program at once, and unsaved work with it; here
// each becomes a Qt signal on the window's thread, emitted once the thread
// is back in its event loop, so that the program can keep the face first.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    // The one instance, which takes the two signals over when it is first
    // asked for.
    static TerminationSignals &instance();

Q_SIGNALS:
    void received(int signal);

private:
    TerminationSignals();
    void readPending();

    QSocketNotifier *m_notifier = nullptr;
};
