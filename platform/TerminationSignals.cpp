#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The write end of the pipe from the handler to the event loop. A handler may
// do little more than write(); the rest happens on the window's thread.
int g_writeEnd = -1;

void handle(int signal)
{
    const unsigned char byte = static_cast<unsigned char>(signal);
    const int saved = errno;
    if (::write(g_writeEnd, &byte, 1) < 0) {
        // A full pipe already holds a request to end; one is enough.
    }
    errno = saved;
}

} // namespace

TerminationSignals &TerminationSignals::instance()
{
    static TerminationSignals *const one = new TerminationSignals;
    return *one;
}

TerminationSignals::TerminationSignals()
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0)
        return;
    g_writeEnd = ends[1];
    m_notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readPending);

    struct sigaction action = {};
    action.sa_handler = handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void TerminationSignals::readPending()
{
    unsigned char byte = 0;
    while (::read(int(m_notifier->socket()), &byte, 1) == 1)
        Q_EMIT received(byte);
}
