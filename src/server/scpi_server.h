#pragma once

#include "scpi/board_request.h"
#include "serial/traffic_log.h"
#include "stepping/stepping_run.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTimer>

#include <deque>
#include <memory>
#include <vector>

class CBoardExchange;
class CClientStatus;
class CInstrumentState;
class CMessageRun;
class CScpiClient;
class CSerialLink;

// SCPI over raw TCP, one message a line. Every client's messages go into one
// queue and run one at a time in the order they arrived; a message that needs
// the board holds the others back until its frame is answered, so frames
// never interleave on the port. A message that waits for a single sweep to
// end (*OPC?, *WAI) holds back only its own client: the others run meanwhile,
// frames and all, and a frame that ends the sweep ends the wait.
class CScpiServer : public QObject {
    Q_OBJECT

public:
    // Live clients at most. Beyond it a newcomer waits kPlaceWaitMsecs for a
    // place and is then closed, so that a flood of connections cannot
    // exhaust the process.
    static constexpr int kMostClients = 64;
    // Long enough for the event loop to notice connections that have
    // already gone, which free their places.
    static constexpr int kPlaceWaitMsecs = 250;

    CScpiServer(CInstrumentState& state, CSerialLink& link);
    ~CScpiServer() override;

    bool Listen(const QHostAddress& address, quint16 nPort);
    QString ErrorText() const;
    // Why Listen failed: another program holds the port.
    bool AddressInUse() const;
    // The address and port bound, as HOST:PORT.
    QString ListeningText() const;
    // Stops listening and lets every client go.
    void Close();

Q_SIGNALS:
    // What happened, a line for the operator: clients, exchanges, faults.
    void logLine(const QString& strLine);

private:
    struct Message {
        QPointer<CScpiClient> pClient;
        int nClient = 0;
        // Keeps the client's status alive for a message that outlasts it.
        std::shared_ptr<CClientStatus> pStatus;
        QByteArray text;
        bool bTooLong = false;
    };
    // A message under way.
    struct Run {
        Message message;
        std::unique_ptr<CMessageRun> pRun;
    };

    void OnNewConnection();
    void Accept(QTcpSocket* pSocket);
    void RefuseWhileFull();
    void OnMessage(CScpiClient* pClient, const QByteArray& message, bool bTooLong);
    void RunQueue();
    bool IsWaitingForSweep(int nClient) const;
    // Runs the message on to its next stop; a frame it needs takes its turn
    // at nTurn among those waiting for the board.
    void Advance(std::unique_ptr<Run> pRun, std::size_t nTurn);
    void OnSingleSweepDone();
    void StartExchange();
    // Takes the stepped sweep's turn on the link: started, aborted, paused
    // or continued at once, without a frame of its own.
    void RunSteppedAction();
    void OnSteppingFinished(SteppingEnd end);
    void OnExchangeFinished();
    void EndMessage(Run& run);

    CInstrumentState& m_state;
    CSerialLink& m_link;
    QTcpServer m_server;
    QList<Message> m_queue;
    // Messages whose next frame waits for the board, the first one's frame
    // in the running exchange when there is one.
    std::deque<std::unique_ptr<Run>> m_boardTurns;
    // Messages held by *OPC? or *WAI until the single sweep stops running.
    std::vector<std::unique_ptr<Run>> m_sweepWaits;
    CBoardExchange* m_pExchange = nullptr;
    // Its points take turns with the clients' frames; any other frame ends it.
    CSteppingRun m_stepping;
    // Who started it, to hear of its failure.
    std::shared_ptr<CClientStatus> m_pSteppingStatus;
    int m_nSteppingClient = 0;
    FrameKind m_exchangeKind = FrameKind::Point;
    // Why the port failed under the running exchange.
    QString m_strPortFailure;
    bool m_bRunningQueue = false;
    // Connected, not yet left.
    QList<CScpiClient*> m_clients;
    // Runs while newcomers wait for a place.
    QTimer m_timerFull;
    int m_nNextClient = 1;
};
