#pragma once

#include "cli/exit_code.h"
#include "cli/receive_path.h"
#include "cli/scpi/board_request.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>

#include <memory>
#include <optional>

class CErrorQueue;
class CFrameExchange;
class CInstrumentState;
class CMessageRun;
class CScpiClient;

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

    explicit CScpiServer(CInstrumentState& state);
    ~CScpiServer() override;

    bool Listen(const QHostAddress& address, quint16 nPort);
    QString ErrorText() const;
    // The address and port bound, as HOST:PORT.
    QString ListeningText() const;
    // Stops listening and lets every client go.
    void Close();

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
    void OnExchangeFinished(ExitCode code, const QString& strWhy);
    void EndMessage();

    CInstrumentState& m_state;
    QTcpServer m_server;
    CReceivePath m_receivePath;
    QList<Message> m_queue;
    std::optional<Message> m_current;
    std::unique_ptr<CMessageRun> m_pRun;
    CFrameExchange* m_pExchange = nullptr;
    FrameKind m_exchangeKind = FrameKind::Point;
    QString m_strLastFrame;
    bool m_bRunningQueue = false;
    // Connected, not yet left.
    QList<CScpiClient*> m_clients;
    int m_nNextClient = 1;
};
