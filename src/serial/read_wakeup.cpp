#include "serial/read_wakeup.h"

#ifdef Q_OS_UNIX
#include <termios.h>
#endif

bool SetReadWakeupBytes(qintptr nHandle, int nBytes)
{
#ifdef Q_OS_UNIX
    const int nFd = static_cast<int>(nHandle);
    termios tio{};
    if (::tcgetattr(nFd, &tio) != 0)
        return false;
    // Without VTIME, poll() reports the line readable only once VMIN bytes
    // are there; a non-blocking read is not held back by it.
    tio.c_cc[VMIN] = static_cast<cc_t>(qBound(0, nBytes, kMostReadWakeupBytes));
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(nFd, TCSANOW, &tio) == 0;
#else
    Q_UNUSED(nHandle)
    Q_UNUSED(nBytes)
    return false;
#endif
}
