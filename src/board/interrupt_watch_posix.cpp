#include "board/interrupt_watch.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A signal handler may only write to a descriptor; the event loop reads it.
int g_signalSockets[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t nWritten = ::write(g_signalSockets[0], &byte, 1);
}

void SetHandler(void (*pHandler)(int))
{
    struct sigaction action {};
    action.sa_handler = pHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
}

} // namespace

CInterruptWatch::CInterruptWatch()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalSockets) != 0)
        return;
    m_pNotifier = std::make_unique<QSocketNotifier>(g_signalSockets[1], QSocketNotifier::Read);
    connect(m_pNotifier.get(), &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t nRead = ::read(g_signalSockets[1], &byte, 1);
        Q_EMIT Interrupted();
    });
    SetHandler(OnSignal);
}

CInterruptWatch::~CInterruptWatch()
{
    if (!m_pNotifier)
        return;
    SetHandler(SIG_DFL);
    m_pNotifier.reset();
    ::close(g_signalSockets[0]);
    ::close(g_signalSockets[1]);
    g_signalSockets[0] = g_signalSockets[1] = -1;
}
