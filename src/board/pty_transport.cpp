#include "board/pty_transport.h"

#include "board/line_write.h"
#include "board/port_link.h"

#include <QSocketNotifier>

#include <cerrno>
#include <unistd.h>

CPtyTransport::~CPtyTransport()
{
    Close();
}

bool CPtyTransport::Open(const QString& strName, QString& strError)
{
    Close();
    m_strLinkPath = strName;
    if (!m_terminal.Open(strError))
        return false;
    if (!strName.isEmpty() && !PointLink(strName, m_terminal.SlavePath(), strError)) {
        m_terminal.Close();
        return false;
    }
    m_pReadNotifier = new QSocketNotifier(m_terminal.MasterFd(), QSocketNotifier::Read, this);
    connect(m_pReadNotifier, &QSocketNotifier::activated, this, &CBoardTransport::Readable);
    return true;
}

void CPtyTransport::Close()
{
    if (m_pReadNotifier) {
        // Close may be called from a slot of a frame this notifier brought in.
        m_pReadNotifier->setEnabled(false);
        m_pReadNotifier->deleteLater();
        m_pReadNotifier = nullptr;
    }
    m_terminal.Close();
    // An unplugged adapter's device goes too. A link left behind would point
    // at a pseudo-terminal number that another program's board may get next.
    if (!m_strLinkPath.isEmpty())
        RemoveLink(m_strLinkPath);
}

bool CPtyTransport::IsOpen() const
{
    return m_terminal.IsOpen();
}

QString CPtyTransport::PortName() const
{
    return m_strLinkPath.isEmpty() ? m_terminal.SlavePath() : m_strLinkPath;
}

QByteArray CPtyTransport::ReadAll()
{
    QByteArray received;
    char buffer[256];
    for (;;) {
        const ssize_t nRead = ::read(m_terminal.MasterFd(), buffer, sizeof buffer);
        if (nRead > 0) {
            received.append(buffer, nRead);
            continue;
        }
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead == 0 || errno != EAGAIN) {
            // Holding the slave should rule this out; stop watching rather than spin.
            m_pReadNotifier->setEnabled(false);
        }
        return received;
    }
}

qint64 CPtyTransport::Write(const QByteArray& bytes)
{
    return m_terminal.IsOpen() ? WriteToFd(m_terminal.MasterFd(), bytes) : -1;
}

QIODevice* CPtyTransport::ClientEnd()
{
    return nullptr;
}
