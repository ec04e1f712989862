#include "server/scpi_client.h"

#include "scpi/error_queue.h"

#include <QTcpSocket>

#include <utility>

namespace {

// Room for a message, a carriage return and the newline.
constexpr qsizetype kMostLineBytes = CScpiClient::kMostMessageBytes + 2;
// What Qt takes from the system for one client before the client is read.
constexpr qint64 kReadBufferBytes = 4 * kMostLineBytes;

} // namespace

CScpiClient::CScpiClient(QTcpSocket* pSocket, int nNumber, QObject* pParent)
    : QObject(pParent)
    , m_pSocket(pSocket)
    , m_nNumber(nNumber)
    , m_strPeer(QStringLiteral("%1:%2").arg(pSocket->peerAddress().toString()).arg(pSocket->peerPort()))
    , m_pErrors(std::make_shared<CErrorQueue>())
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

std::shared_ptr<CErrorQueue> CScpiClient::Errors() const
{
    return m_pErrors;
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
    // Read into one buffer, so that a flood of bytes allocates nothing.
    char buffer[kMostLineBytes + 1];
    while (IsReadable() && m_pSocket->bytesAvailable() > 0) {
        const qint64 nRead = m_pSocket->readLine(buffer, sizeof buffer - m_line.size());
        if (nRead <= 0)
            break;
        const bool bEnded = buffer[nRead - 1] == '\n';
        if (m_bDiscarding) {
            m_bDiscarding = !bEnded;
            continue;
        }
        m_line.append(buffer, nRead);
        if (bEnded) {
            TakeLine(std::exchange(m_line, QByteArray()));
        } else if (m_line.size() >= kMostLineBytes) {
            m_line.clear();
            m_bDiscarding = true;
            Queue(QByteArray(), true);
        }
    }
}

void CScpiClient::TakeLine(QByteArray line)
{
    line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.size() > kMostMessageBytes)
        Queue(QByteArray(), true);
    else
        Queue(line, false);
}

void CScpiClient::Queue(const QByteArray& message, bool bTooLong)
{
    ++m_nWaiting;
    Q_EMIT MessageReceived(this, message, bTooLong);
}
