#include "board/in_process_line.h"

#include <algorithm>

namespace {

// As much as a Linux pseudo-terminal holds for a reader that does not read.
constexpr qint64 kBufferBytes = 4096;

} // namespace

void CPipeEnd::SetPeer(CPipeEnd* pPeer)
{
    m_pPeer = pPeer;
}

void CPipeEnd::Clear()
{
    m_incoming.clear();
    if (isOpen())
        readAll();
}

bool CPipeEnd::isSequential() const
{
    return true;
}

qint64 CPipeEnd::bytesAvailable() const
{
    return m_incoming.size() + QIODevice::bytesAvailable();
}

qint64 CPipeEnd::readData(char* data, qint64 nMaxSize)
{
    const qint64 nRead = std::min<qint64>(nMaxSize, m_incoming.size());
    std::copy_n(m_incoming.constData(), nRead, data);
    m_incoming.remove(0, nRead);
    return nRead;
}

qint64 CPipeEnd::writeData(const char* data, qint64 nSize)
{
    if (!m_pPeer || !m_pPeer->isOpen()) {
        setErrorString(QStringLiteral("the other end of the line is closed"));
        return -1;
    }
    return m_pPeer->Receive(data, nSize);
}

qint64 CPipeEnd::Receive(const char* data, qint64 nSize)
{
    const qint64 nTaken = std::min(nSize, kBufferBytes - bytesAvailable());
    if (nTaken <= 0)
        return 0;
    m_incoming.append(data, nTaken);
    if (!m_bAnnouncing) {
        m_bAnnouncing = true;
        QMetaObject::invokeMethod(this, &CPipeEnd::AnnounceReceived, Qt::QueuedConnection);
    }
    return nTaken;
}

void CPipeEnd::AnnounceReceived()
{
    m_bAnnouncing = false;
    if (isOpen() && bytesAvailable() > 0)
        Q_EMIT readyRead();
}

CInProcessLine::CInProcessLine()
{
    m_boardEnd.SetPeer(&m_clientEnd);
    m_clientEnd.SetPeer(&m_boardEnd);
    connect(&m_boardEnd, &QIODevice::readyRead, this, &CBoardTransport::Readable);
}

CInProcessLine::~CInProcessLine()
{
    Close();
}

bool CInProcessLine::Open(const QString& strName, QString& strError)
{
    Close();
    m_strName = strName.isEmpty() ? QStringLiteral("VIRTUAL") : strName;
    m_boardEnd.Clear();
    m_clientEnd.Clear();
    if (!m_boardEnd.open(QIODevice::ReadWrite) || !m_clientEnd.open(QIODevice::ReadWrite)) {
        strError = QStringLiteral("Cannot open the line within the program");
        Close();
        return false;
    }
    return true;
}

void CInProcessLine::Close()
{
    // The client's end first: the link sees its device go, as an unplugged adapter.
    m_clientEnd.close();
    m_boardEnd.close();
}

bool CInProcessLine::IsOpen() const
{
    return m_boardEnd.isOpen();
}

QString CInProcessLine::PortName() const
{
    return m_strName;
}

QByteArray CInProcessLine::ReadAll()
{
    return m_boardEnd.isOpen() ? m_boardEnd.readAll() : QByteArray();
}

qint64 CInProcessLine::Write(const QByteArray& bytes)
{
    return m_boardEnd.isOpen() ? m_boardEnd.write(bytes) : -1;
}

QIODevice* CInProcessLine::ClientEnd()
{
    return &m_clientEnd;
}
