#include "support/raw_pty.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

RawPty::RawPty()
{
    // Close-on-exec: a program the test starts must not hold the far end open.
    m_nMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_nMaster < 0 || ::grantpt(m_nMaster) != 0 || ::unlockpt(m_nMaster) != 0) {
        Close();
        return;
    }
    m_strSlavePath = QString::fromLocal8Bit(::ptsname(m_nMaster));
    // Holding the slave open keeps the master from reading EIO between the
    // program's close and reopen; raw mode keeps the line from echoing.
    m_nSlaveKeeper = ::open(::ptsname(m_nMaster), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (m_nSlaveKeeper >= 0 && ::tcgetattr(m_nSlaveKeeper, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(m_nSlaveKeeper, TCSANOW, &settings);
    }
}

RawPty::~RawPty()
{
    Close();
}

void RawPty::Write(const QByteArray& bytes)
{
    qsizetype nDone = 0;
    while (m_nMaster >= 0 && nDone < bytes.size()) {
        const ssize_t n = ::write(m_nMaster, bytes.constData() + nDone, static_cast<size_t>(bytes.size() - nDone));
        if (n <= 0)
            break;
        nDone += n;
    }
}

QByteArray RawPty::ReadAvailable()
{
    QByteArray bytes;
    char buffer[512];
    ssize_t n = 0;
    while (m_nMaster >= 0 && (n = ::read(m_nMaster, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, n);
    return bytes;
}

int RawPty::OutputBaud() const
{
    termios settings{};
    if (m_nMaster < 0 || ::tcgetattr(m_nMaster, &settings) != 0)
        return -1;
    switch (::cfgetospeed(&settings)) {
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B115200:
        return 115200;
    default:
        return 0;
    }
}

void RawPty::Close()
{
    if (m_nSlaveKeeper >= 0)
        ::close(m_nSlaveKeeper);
    if (m_nMaster >= 0)
        ::close(m_nMaster);
    m_nSlaveKeeper = -1;
    m_nMaster = -1;
}
