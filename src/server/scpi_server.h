#pragma once

#include "scpi/board_request.h"
#include "serial/traffic_log.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>

#include <memory>
#include <optional>

class CBoardExchange;
class CErrorQueue;
class CInstrumentState;
class CMessageRun;
class CScpiClient;
class CSerialLink;

// SCPI over raw TCP, one message a line. Every client's messages go into one
// queue and run one at a time in the order they arrived; a message that needs
// the board holds the others back until its frame is answered, so frames
// never interleave on the port.
class CScpiServer : public QObject {
    Q_OBJECT

public:
    // Beyond it a connection is closed at once, so that a flood of them
    // cannot exhaust the process.
    static constexpr int kMostClients = 64;

    CScpiServer(CInstrumentState& state, CSerialLink& link);
    ~CScpiServer() override;

    bool Listen(const QHostAddress& address, quint16 nPort);
    QString ErrorText() const;
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
        std::shared_ptr<CErrorQueue> pErrors;
        QByteArray text;
        bool bTooLong = false;
    };

    void OnNewConnection();
    void OnMessage(CScpiClient* pClient, const QByteArray& message, bool bTooLong);
    void RunQueue();
    void StartExchange(const BoardRequest& request);
    void OnExchangeFinished();
    void EndMessage();

    CInstrumentState& m_state;
    CSerialLink& m_link;
    QTcpServer m_server;
    QList<Message> m_queue;
    std::optional<Message> m_current;
    std::unique_ptr<CMessageRun> m_pRun;
    CBoardExchange* m_pExchange = nullptr;
    FrameKind m_exchangeKind = FrameKind::Point;
    // Why the port failed under the running exchange.
    QString m_strPortFailure;
    bool m_bRunningQueue = false;
    // Connected, not yet left.
    QList<CScpiClient*> m_clients;
    int m_nNextClient = 1;
};
