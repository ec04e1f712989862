#include "support/line_client.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

bool CLineClient::Open(const QString& strPath, bool bRaw)
{
    Close();
    m_nFd = ::open(QFile::encodeName(strPath).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_nFd < 0)
        return false;
    if (bRaw && !MakeRaw())
        return false;
    m_pNotifier = std::make_unique<QSocketNotifier>(m_nFd, QSocketNotifier::Read);
    QObject::connect(m_pNotifier.get(), &QSocketNotifier::activated, m_pNotifier.get(), [this] { OnReadable(); });
    return true;
}

void CLineClient::Close()
{
    m_pNotifier.reset();
    if (m_nFd >= 0)
        ::close(m_nFd);
    m_nFd = -1;
    m_chunks.clear();
    m_bHungUp = false;
}

bool CLineClient::Write(const QByteArray& bytes)
{
    const bool bWritten = ::write(m_nFd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
    m_nWriteErrno = bWritten ? 0 : errno;
    return bWritten;
}

bool CLineClient::MakeRaw()
{
    termios settings{};
    if (::tcgetattr(m_nFd, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    return ::tcsetattr(m_nFd, TCSANOW, &settings) == 0;
}

void CLineClient::OnReadable()
{
    char buffer[256];
    const ssize_t nRead = ::read(m_nFd, buffer, sizeof buffer);
    if (nRead > 0) {
        m_chunks.append(QByteArray(buffer, nRead));
    } else if (nRead == 0 || errno == EIO) {
        m_bHungUp = true;
        m_pNotifier->setEnabled(false);
    }
}
