#include "serial/device_lock.h"

CDeviceLock::~CDeviceLock()
{
    Release();
}

#ifdef Q_OS_WIN
QString CDeviceLock::DeviceOf(const QString& strLocation)
{
    return strLocation;
}

CDeviceLock::Outcome CDeviceLock::Take(const QString&)
{
    return Outcome::Unknown;
}

void CDeviceLock::Release()
{
}
#else
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString CDeviceLock::DeviceOf(const QString& strLocation)
{
    // A bare name, such as ttyUSB0, is a device in /dev, as the serial stack reads it.
    const QString strPath
        = strLocation.startsWith(QLatin1Char('/')) ? strLocation : QStringLiteral("/dev/") + strLocation;
    const QString strDevice = QFileInfo(strPath).canonicalFilePath();
    return strDevice.isEmpty() ? strPath : strDevice;
}

// A descriptor of our own carries the lock, so that it is held before the
// serial stack touches the line at all.
CDeviceLock::Outcome CDeviceLock::Take(const QString& strDevice)
{
    Release();
    const int nFd = ::open(QFile::encodeName(strDevice).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (nFd < 0) {
        // Another program's exclusive mode refuses all but the superuser.
        return errno == EBUSY ? Outcome::Busy : Outcome::Unknown;
    }
    if (::flock(nFd, LOCK_EX | LOCK_NB) != 0) {
        const bool bBusy = errno == EWOULDBLOCK;
        ::close(nFd);
        return bBusy ? Outcome::Busy : Outcome::Unknown;
    }
    m_nFd = nFd;
    return Outcome::Taken;
}

void CDeviceLock::Release()
{
    if (m_nFd < 0)
        return;
    ::close(m_nFd);
    m_nFd = -1;
}
#endif
