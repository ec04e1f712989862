#include "server/scpi_server.h"

#include "scpi/error_queue.h"
#include "scpi/instrument_state.h"
#include "scpi/message_run.h"
#include "serial/board_exchange.h"
#include "serial/serial_link.h"
#include "serial/watch_policies.h"
#include "server/scpi_client.h"

#include <QTcpSocket>

#include <utility>

namespace {

// A program driving the board must hear an answer, where the sweep page's
// watches wait on silence without limit.
constexpr int kSilenceMsecs = 500;

WatchPolicy ServerWatchPolicy(FrameKind kind)
{
    WatchPolicy policy = kind == FrameKind::Point ? kPointWatchPolicy
                         : kind == FrameKind::Close ? kCloseWatchPolicy
                                                    : kSweepWatchPolicy;
    policy.nSilenceMsecs = kSilenceMsecs;
    return policy;
}

BoardOutcome OutcomeOf(const CBoardExchange& exchange, bool bPortFailed)
{
    if (exchange.Result() == WatchResult::Ack)
        return BoardOutcome::Acknowledged;
    if (bPortFailed || exchange.IsPortFault())
        return BoardOutcome::PortFailure;
    return BoardOutcome::NotAcknowledged;
}

QString OutcomeText(BoardOutcome outcome, const QString& strWhy)
{
    switch (outcome) {
    case BoardOutcome::Acknowledged:
        return QStringLiteral("acknowledged");
    case BoardOutcome::PortFailure:
        return QStringLiteral("port failure: %1").arg(strWhy);
    case BoardOutcome::NotAcknowledged:
        break;
    }
    return QStringLiteral("not acknowledged");
}

} // namespace

CScpiServer::CScpiServer(CInstrumentState& state, CSerialLink& link)
    : m_state(state)
    , m_link(link)
{
    connect(&m_server, &QTcpServer::newConnection, this, &CScpiServer::OnNewConnection);
    connect(&m_link, &CSerialLink::replyReceived, this, [this](const QByteArray& bytes) { m_state.ReportReceived(bytes); });
    connect(&m_link, &CSerialLink::portFailed, this, [this](const QString& strWhy) {
        Q_EMIT logLine(QStringLiteral("port failure: %1").arg(strWhy));
        if (m_pExchange) {
            m_strPortFailure = strWhy;
            m_pExchange->Stop();
        }
    });
}

CScpiServer::~CScpiServer() = default;

bool CScpiServer::Listen(const QHostAddress& address, quint16 nPort)
{
    return m_server.listen(address, nPort);
}

QString CScpiServer::ErrorText() const
{
    return m_server.errorString();
}

QString CScpiServer::ListeningText() const
{
    const QHostAddress address = m_server.serverAddress();
    const QString strHost = address.protocol() == QAbstractSocket::IPv6Protocol
                                ? QStringLiteral("[%1]").arg(address.toString())
                                : address.toString();
    return QStringLiteral("%1:%2").arg(strHost).arg(m_server.serverPort());
}

void CScpiServer::Close()
{
    m_server.close();
    for (CScpiClient* pClient : std::exchange(m_clients, {})) {
        Q_EMIT logLine(QStringLiteral("client %1 left").arg(pClient->Number()));
        delete pClient;
    }
}

void CScpiServer::OnNewConnection()
{
    while (QTcpSocket* pSocket = m_server.nextPendingConnection()) {
        if (m_clients.size() >= kMostClients) {
            Q_EMIT logLine(QStringLiteral("refused %1:%2, %3 clients connected")
                    .arg(pSocket->peerAddress().toString())
                    .arg(pSocket->peerPort())
                    .arg(m_clients.size()));
            pSocket->abort();
            pSocket->deleteLater();
            continue;
        }
        auto* pClient = new CScpiClient(pSocket, m_nNextClient++, this);
        m_clients.append(pClient);
        Q_EMIT logLine(QStringLiteral("client %1 connected from %2").arg(pClient->Number()).arg(pClient->PeerText()));
        connect(pClient, &CScpiClient::MessageReceived, this, &CScpiServer::OnMessage);
        connect(pClient, &CScpiClient::Left, this, [this](CScpiClient* pLeaving) {
            m_clients.removeOne(pLeaving);
            Q_EMIT logLine(QStringLiteral("client %1 left").arg(pLeaving->Number()));
            pLeaving->deleteLater();
        });
    }
}

void CScpiServer::OnMessage(CScpiClient* pClient, const QByteArray& message, bool bTooLong)
{
    m_queue.append({pClient, pClient->Number(), pClient->Errors(), message, bTooLong});
    RunQueue();
}

void CScpiServer::RunQueue()
{
    // A client can hand in its next message from inside this loop, through
    // an answer or the end of a message.
    if (m_bRunningQueue)
        return;
    m_bRunningQueue = true;
    while (!m_pExchange) {
        if (!m_pRun) {
            if (m_queue.isEmpty())
                break;
            m_current = m_queue.takeFirst();
            if (m_current->bTooLong) {
                m_current->pErrors->Push(kTooMuchData);
                EndMessage();
                continue;
            }
            m_pRun = std::make_unique<CMessageRun>(m_current->text, m_state, *m_current->pErrors);
        }
        if (const std::optional<BoardRequest> request = m_pRun->Next())
            StartExchange(*request);
        else
            EndMessage();
    }
    m_bRunningQueue = false;
}

void CScpiServer::StartExchange(const BoardRequest& request)
{
    m_exchangeKind = request.kind;
    m_strPortFailure.clear();
    m_pExchange = new CBoardExchange(m_link, ServerWatchPolicy(request.kind), request.compose, this);
    connect(m_pExchange, &CBoardExchange::finished, this, &CScpiServer::OnExchangeFinished);
    m_pExchange->Send();
}

void CScpiServer::OnExchangeFinished()
{
    const bool bPortFailed = !m_strPortFailure.isEmpty();
    const BoardOutcome outcome = OutcomeOf(*m_pExchange, bPortFailed);
    const int nFrames = m_pExchange->FramesSent();
    Q_EMIT logLine(QStringLiteral("client %1 %2 %3 resends %4 %5")
                       .arg(m_current->nClient)
                       .arg(QLatin1String(FrameKindName(m_exchangeKind)))
                       .arg(m_pExchange->LastFrame().isEmpty() ? QStringLiteral("-") : m_pExchange->LastFrame())
                       .arg(nFrames > 0 ? nFrames - 1 : 0)
                       .arg(OutcomeText(outcome, bPortFailed ? m_strPortFailure : m_pExchange->ErrorText())));
    // finished is emitted from inside the exchange.
    std::exchange(m_pExchange, nullptr)->deleteLater();
    m_pRun->Answered(outcome);
    RunQueue();
}

void CScpiServer::EndMessage()
{
    const QString strResponse = m_pRun ? m_pRun->Response() : QString();
    m_pRun.reset();
    // The message keeps the client's error queue alive to here.
    const Message message = *std::exchange(m_current, std::nullopt);
    if (!message.pClient)
        return;
    if (!strResponse.isEmpty())
        message.pClient->Answer(strResponse);
    message.pClient->MessageDone();
}
