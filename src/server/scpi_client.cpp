#include "server/scpi_client.h"

#include "scpi/client_status.h"

#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace {

// What one look at the socket takes at most: a few messages' worth, as each
// look copies it.
constexpr qint64 kChunkBytes = 512;
// What Qt takes from the system for one client before the client is read.
constexpr qint64 kReadBufferBytes = 4 * (CScpiClient::kMostMessageBytes + 2);

bool IsMessageEnd(char c)
{
    return c == '\n' || c == '\r';
}

} // namespace

CScpiClient::CScpiClient(QTcpSocket* pSocket, int nNumber, QObject* pParent)
    : QObject(pParent)
    , m_pSocket(pSocket)
    , m_nNumber(nNumber)
    , m_strPeer(QStringLiteral("%1:%2").arg(pSocket->peerAddress().toString()).arg(pSocket->peerPort()))
    , m_pStatus(std::make_shared<CClientStatus>(nNumber))
{
    m_pSocket->setParent(this);
    m_pSocket->setReadBufferSize(kReadBufferBytes);
    // An answer is one small write that a client waits for.
    m_pSocket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_pSocket, &QTcpSocket::readyRead, this, &CScpiClient::ReadMessages);
    connect(m_pSocket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_pSocket->bytesToWrite() == 0)
            ReadMessages();
    });
    connect(m_pSocket, &QTcpSocket::disconnected, this, [this] { Q_EMIT Left(this); });
}

int CScpiClient::Number() const
{
    return m_nNumber;
}

QString CScpiClient::PeerText() const
{
    return m_strPeer;
}

std::shared_ptr<CClientStatus> CScpiClient::Status() const
{
    return m_pStatus;
}

void CScpiClient::Answer(const QString& strResponse)
{
    if (m_pSocket->state() == QAbstractSocket::ConnectedState)
        m_pSocket->write(strResponse.toUtf8() + '\n');
}

void CScpiClient::MessageDone()
{
    // What waits was left unread at the limit; taken up on the next turn,
    // not from inside the server's run.
    if (m_nWaiting-- == kMostWaitingMessages)
        QMetaObject::invokeMethod(this, &CScpiClient::ReadMessages, Qt::QueuedConnection);
}

bool CScpiClient::IsReadable() const
{
    return m_nWaiting < kMostWaitingMessages && m_pSocket->bytesToWrite() < kMostUnsentBytes;
}

void CScpiClient::ReadMessages()
{
    // Read into one buffer, so that a flood of bytes allocates nothing; a
    // message is taken off the socket only up to its end, so that the rest
    // waits there while the client may not be read.
    char buffer[kChunkBytes];
    while (IsReadable() && m_pSocket->bytesAvailable() > 0) {
        const qint64 nPeeked = m_pSocket->peek(buffer, sizeof buffer);
        if (nPeeked <= 0)
            break;
        if (std::exchange(m_bAfterReturn, false) && buffer[0] == '\n') {
            m_pSocket->skip(1);
            continue;
        }
        const char* const pEnd = std::find_if(buffer, buffer + nPeeked, IsMessageEnd);
        const bool bEnded = pEnd < buffer + nPeeked;
        const qint64 nText = pEnd - buffer;
        m_pSocket->skip(bEnded ? nText + 1 : nText);
        if (!m_bDiscarding && m_line.size() + nText > kMostMessageBytes) {
            m_line.clear();
            m_bDiscarding = true;
            Queue(QByteArray(), true);
        }
        if (!m_bDiscarding)
            m_line.append(buffer, nText);
        if (!bEnded)
            continue;
        m_bAfterReturn = *pEnd == '\r';
        if (!std::exchange(m_bDiscarding, false))
            Queue(std::exchange(m_line, QByteArray()), false);
    }
}

void CScpiClient::Queue(const QByteArray& message, bool bTooLong)
{
    ++m_nWaiting;
    Q_EMIT MessageReceived(this, message, bTooLong);
}
