#include "board/termination_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_nSignalWriteFd = -1;

void OnTerminationSignal(int)
{
    const int nSavedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t nWritten = ::write(g_nSignalWriteFd, &byte, 1);
    errno = nSavedErrno;
}

} // namespace

bool QuitOnTerminationSignals(QString& strError)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        strError = QStringLiteral("pipe2 failed: %1").arg(qt_error_string(errno));
        return false;
    }
    g_nSignalWriteFd = fds[1];
    auto* pNotifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(pNotifier, &QSocketNotifier::activated, pNotifier, [nReadFd = fds[0]] {
        char byte = 0;
        [[maybe_unused]] const ssize_t nRead = ::read(nReadFd, &byte, 1);
        QCoreApplication::quit();
    });

    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGINT, &action, nullptr) != 0 || ::sigaction(SIGTERM, &action, nullptr) != 0) {
        strError = QStringLiteral("sigaction failed: %1").arg(qt_error_string(errno));
        return false;
    }
    return true;
}
