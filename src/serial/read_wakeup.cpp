#include "serial/read_wakeup.h"

#ifdef Q_OS_WIN
#include <windows.h>

bool HasPendingSystemBytes(const QSerialPort& port)
{
    COMSTAT status{};
    return ::ClearCommError(port.handle(), nullptr, &status) && status.cbInQue > 0;
}

bool SetReadWakeupBytes(const QSerialPort&, int)
{
    return false;
}
#else
#include <sys/ioctl.h>
#include <termios.h>

bool HasPendingSystemBytes(const QSerialPort& port)
{
    int nPending = 0;
    return ::ioctl(port.handle(), FIONREAD, &nPending) == 0 && nPending > 0;
}

bool SetReadWakeupBytes(const QSerialPort& port, int nBytes)
{
    const int nFd = port.handle();
    termios tio{};
    if (::tcgetattr(nFd, &tio) != 0)
        return false;
    // Without VTIME, poll() reports the line readable only once VMIN bytes
    // are there; a non-blocking read is not held back by it.
    tio.c_cc[VMIN] = static_cast<cc_t>(qBound(0, nBytes, kMostReadWakeupBytes));
    tio.c_cc[VTIME] = 0;
    return ::tcsetattr(nFd, TCSANOW, &tio) == 0;
}
#endif
