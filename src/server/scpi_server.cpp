#include "server/scpi_server.h"

#include "scpi/client_status.h"
#include "scpi/instrument_state.h"
#include "scpi/message_run.h"
#include "serial/board_exchange.h"
#include "serial/serial_link.h"
#include "serial/watch_policies.h"
#include "server/scpi_client.h"
#include "stepping/least_dwell.h"

#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace {

// A program driving the board must hear an answer, where the sweep page's
// watches wait on silence without limit.
constexpr int kSilenceMsecs = 500;
constexpr int kListenBacklog = 256;

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
    , m_stepping(link)
{
    m_stepping.SetLinkGate([this] { return !m_pExchange; });
    connect(&m_stepping, &CSteppingRun::finished, this, &CScpiServer::OnSteppingFinished);
    connect(&m_stepping, &CSteppingRun::pointDone, this, [this](const StepRecord& record) {
        Q_EMIT logLine(QStringLiteral("client %1 point %2 resends %3 %4")
                           .arg(m_nSteppingClient)
                           .arg(record.strFrame.isEmpty() ? QStringLiteral("-") : record.strFrame)
                           .arg(record.nFrames > 0 ? record.nFrames - 1 : 0)
                           .arg(OutcomeText(record.result == WatchResult::Ack ? BoardOutcome::Acknowledged
                                                                               : BoardOutcome::NotAcknowledged,
                                            QString())));
        // Not from inside the run, which goes on after this signal.
        QMetaObject::invokeMethod(this, &CScpiServer::RunQueue, Qt::QueuedConnection);
    });
    connect(&m_server, &QTcpServer::newConnection, this, &CScpiServer::OnNewConnection);
    // Connections that come faster than the loop takes them wait in the
    // system rather than being dropped.
    m_server.setListenBacklogSize(kListenBacklog);
    m_timerFull.setSingleShot(true);
    m_timerFull.setInterval(kPlaceWaitMsecs);
    connect(&m_timerFull, &QTimer::timeout, this, &CScpiServer::RefuseWhileFull);
    connect(&m_link, &CSerialLink::replyReceived, this, [this](const QByteArray& bytes) { m_state.ReportReceived(bytes); });
    connect(&m_state.Sweep(), &CSweepTracker::singleSweepDone, this, &CScpiServer::OnSingleSweepDone);
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

bool CScpiServer::AddressInUse() const
{
    return m_server.serverError() == QAbstractSocket::AddressInUseError;
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
    m_timerFull.stop();
    for (CScpiClient* pClient : std::exchange(m_clients, {})) {
        Q_EMIT logLine(QStringLiteral("client %1 left").arg(pClient->Number()));
        delete pClient;
    }
}

void CScpiServer::OnNewConnection()
{
    while (m_server.hasPendingConnections()) {
        if (m_clients.size() >= kMostClients) {
            if (!m_timerFull.isActive())
                m_timerFull.start();
            return;
        }
        Accept(m_server.nextPendingConnection());
    }
}

void CScpiServer::Accept(QTcpSocket* pSocket)
{
    // Gone before it was taken: no place, and maybe no peer left to name.
    if (pSocket->state() != QAbstractSocket::ConnectedState || pSocket->peerAddress().isNull()) {
        Q_EMIT logLine(QStringLiteral("a connection closed before it was served"));
        pSocket->abort();
        pSocket->deleteLater();
        return;
    }
    auto* pClient = new CScpiClient(pSocket, m_nNextClient++, this);
    // A sweep that started before the client came is no news to it.
    pClient->Status()->Clear(m_state.Sweep());
    m_clients.append(pClient);
    Q_EMIT logLine(QStringLiteral("client %1 connected from %2").arg(pClient->Number()).arg(pClient->PeerText()));
    connect(pClient, &CScpiClient::MessageReceived, this, &CScpiServer::OnMessage);
    connect(pClient, &CScpiClient::Left, this, [this](CScpiClient* pLeaving) {
        m_clients.removeOne(pLeaving);
        m_state.ReleaseLock(pLeaving->Number());
        Q_EMIT logLine(QStringLiteral("client %1 left").arg(pLeaving->Number()));
        pLeaving->deleteLater();
        OnNewConnection();
    });
}

void CScpiServer::RefuseWhileFull()
{
    while (m_clients.size() >= kMostClients && m_server.hasPendingConnections()) {
        QTcpSocket* pSocket = m_server.nextPendingConnection();
        if (pSocket->peerAddress().isNull()) {
            Accept(pSocket);
            continue;
        }
        Q_EMIT logLine(QStringLiteral("refused %1:%2, %3 clients connected")
                           .arg(pSocket->peerAddress().toString())
                           .arg(pSocket->peerPort())
                           .arg(m_clients.size()));
        pSocket->abort();
        pSocket->deleteLater();
    }
    OnNewConnection();
}

void CScpiServer::OnMessage(CScpiClient* pClient, const QByteArray& message, bool bTooLong)
{
    m_queue.append({pClient, pClient->Number(), pClient->Status(), message, bTooLong});
    RunQueue();
}

void CScpiServer::RunQueue()
{
    // A client can hand in its next message from inside this loop, through
    // an answer or the end of a message.
    if (m_bRunningQueue)
        return;
    m_bRunningQueue = true;
    while (!m_pExchange && !m_stepping.IsAwaitingBoard()) {
        if (!m_boardTurns.empty()) {
            StartExchange();
            continue;
        }
        // A client's messages keep their order: one that waits holds its next.
        const auto it = std::find_if(m_queue.begin(), m_queue.end(),
                                     [this](const Message& message) { return !IsWaitingForSweep(message.nClient); });
        if (it == m_queue.end())
            break;
        auto pRun = std::make_unique<Run>();
        pRun->message = *it;
        m_queue.erase(it);
        if (pRun->message.bTooLong) {
            pRun->message.pStatus->Errors().Push(kTooMuchData);
            EndMessage(*pRun);
            continue;
        }
        m_state.SetPortOpen(m_link.GetPortOpen());
        m_state.SetLeastDwellSeconds(LeastDwellSeconds(m_link));
        pRun->pRun = std::make_unique<CMessageRun>(pRun->message.text, m_state, *pRun->message.pStatus);
        Advance(std::move(pRun), m_boardTurns.size());
    }
    m_bRunningQueue = false;
}

bool CScpiServer::IsWaitingForSweep(int nClient) const
{
    return std::any_of(m_sweepWaits.cbegin(), m_sweepWaits.cend(),
                       [nClient](const std::unique_ptr<Run>& pRun) { return pRun->message.nClient == nClient; });
}

void CScpiServer::Advance(std::unique_ptr<Run> pRun, std::size_t nTurn)
{
    switch (pRun->pRun->Next()) {
    case CMessageRun::Step::Ended:
        EndMessage(*pRun);
        break;
    case CMessageRun::Step::AwaitsBoard:
        m_boardTurns.insert(m_boardTurns.begin() + static_cast<std::ptrdiff_t>(nTurn), std::move(pRun));
        break;
    case CMessageRun::Step::AwaitsSweep:
        m_sweepWaits.push_back(std::move(pRun));
        break;
    }
}

// The waits go on in the order they began, their frames ahead of the ones
// that queued behind them.
void CScpiServer::OnSingleSweepDone()
{
    std::vector<std::unique_ptr<Run>> waits = std::exchange(m_sweepWaits, {});
    // Behind the frame on its way, if any.
    std::size_t nTurn = m_pExchange ? 1 : 0;
    for (std::unique_ptr<Run>& pRun : waits) {
        const std::size_t nTurnsBefore = m_boardTurns.size();
        Advance(std::move(pRun), nTurn);
        nTurn += m_boardTurns.size() - nTurnsBefore;
    }
    RunQueue();
}

void CScpiServer::StartExchange()
{
    const BoardRequest& request = m_boardTurns.front()->pRun->Request();
    if (request.stepped != SteppedAction::None) {
        RunSteppedAction();
        return;
    }
    m_exchangeKind = request.kind;
    m_strPortFailure.clear();
    m_pExchange = new CBoardExchange(m_link, ServerWatchPolicy(request.kind), request.compose, this);
    connect(m_pExchange, &CBoardExchange::finished, this, &CScpiServer::OnExchangeFinished);
    // Once the frame is on its way, so that those waiting for the stepped
    // sweep go on behind it.
    const bool bEndsStepping = m_stepping.IsRunning();
    m_pExchange->Send();
    if (bEndsStepping)
        m_stepping.Abort();
}

void CScpiServer::RunSteppedAction()
{
    std::unique_ptr<Run> pRun = std::move(m_boardTurns.front());
    m_boardTurns.pop_front();
    const BoardRequest& request = pRun->pRun->Request();
    bool bDone = true;
    switch (request.stepped) {
    case SteppedAction::Start:
        m_stepping.Abort();
        m_stepping.SetPoints(request.points);
        m_stepping.SetRepeat(request.sweep.bCircular ? CSteppingRun::kEndless : 1);
        m_pSteppingStatus = pRun->message.pStatus;
        m_nSteppingClient = pRun->message.nClient;
        bDone = m_stepping.Start();
        Q_EMIT logLine(QStringLiteral("client %1 stepped sweep of %2 points %3")
                           .arg(m_nSteppingClient)
                           .arg(request.points.size())
                           .arg(bDone ? QStringLiteral("started") : m_stepping.ErrorText()));
        break;
    case SteppedAction::Abort:
        m_stepping.Abort();
        break;
    case SteppedAction::Pause:
        m_stepping.Pause();
        break;
    case SteppedAction::Continue:
        m_stepping.Continue();
        break;
    case SteppedAction::None:
        break;
    }
    pRun->pRun->Answered(bDone ? BoardOutcome::Acknowledged : BoardOutcome::NotAcknowledged);
    Advance(std::move(pRun), 0);
}

void CScpiServer::OnSteppingFinished(SteppingEnd end)
{
    const QString strEnd = end == SteppingEnd::Completed ? QStringLiteral("completed")
                           : end == SteppingEnd::Aborted ? QStringLiteral("aborted")
                                                         : m_stepping.ErrorText();
    Q_EMIT logLine(QStringLiteral("client %1 stepped sweep %2").arg(m_nSteppingClient).arg(strEnd));
    if (m_pSteppingStatus && end == SteppingEnd::NotAcknowledged)
        m_pSteppingStatus->Errors().Push(kBoardDidNotAcknowledge);
    if (m_pSteppingStatus && end == SteppingEnd::PortFailed)
        m_pSteppingStatus->Errors().Push(kHardwareMissing);
    m_pSteppingStatus.reset();
    m_state.Sweep().Ended();
    RunQueue();
}

void CScpiServer::OnExchangeFinished()
{
    const bool bPortFailed = !m_strPortFailure.isEmpty();
    const BoardOutcome outcome = OutcomeOf(*m_pExchange, bPortFailed);
    const int nFrames = m_pExchange->FramesSent();
    std::unique_ptr<Run> pRun = std::move(m_boardTurns.front());
    m_boardTurns.pop_front();
    Q_EMIT logLine(QStringLiteral("client %1 %2 %3 resends %4 %5")
                       .arg(pRun->message.nClient)
                       .arg(QLatin1String(FrameKindName(m_exchangeKind)))
                       .arg(m_pExchange->LastFrame().isEmpty() ? QStringLiteral("-") : m_pExchange->LastFrame())
                       .arg(nFrames > 0 ? nFrames - 1 : 0)
                       .arg(OutcomeText(outcome, bPortFailed ? m_strPortFailure : m_pExchange->ErrorText())));
    // finished is emitted from inside the exchange.
    std::exchange(m_pExchange, nullptr)->deleteLater();
    // The answer can end a sweep that others wait for; no other message may
    // start before this one has gone on.
    const bool bWasRunningQueue = std::exchange(m_bRunningQueue, true);
    pRun->pRun->Answered(outcome);
    Advance(std::move(pRun), 0);
    m_bRunningQueue = bWasRunningQueue;
    // A point that fell due meanwhile goes first.
    m_stepping.LinkFreed();
    RunQueue();
}

void CScpiServer::EndMessage(Run& run)
{
    const QString strResponse = run.pRun ? run.pRun->Response() : QString();
    if (!run.message.pClient)
        return;
    if (!strResponse.isEmpty())
        run.message.pClient->Answer(strResponse);
    run.message.pClient->MessageDone();
}
