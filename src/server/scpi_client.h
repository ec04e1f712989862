#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class CClientStatus;
class QTcpSocket;

// One connection to the SCPI server: cuts what arrives into messages, one a
// line ended by a newline, a carriage return or both, and writes the answers
// back. Its status is shared, so that a message still running when the
// client leaves has somewhere to put errors.
class CScpiClient : public QObject {
    Q_OBJECT

public:
    // Longest message, without its line end. A longer line is thrown away up
    // to its newline, so that memory stays bounded whatever a client sends.
    static constexpr qsizetype kMostMessageBytes = 4096;
    // Messages of one client waiting in the server's queue. Beyond it the
    // client is not read, and TCP holds its sender back.
    static constexpr int kMostWaitingMessages = 16;
    // Answers not yet taken by a client that does not read; beyond it the
    // client is not read either.
    static constexpr qint64 kMostUnsentBytes = 64 * 1024;

    // Takes the socket over.
    CScpiClient(QTcpSocket* pSocket, int nNumber, QObject* pParent);

    int Number() const;
    QString PeerText() const;
    std::shared_ptr<CClientStatus> Status() const;

    // Writes a message's answer as one line.
    void Answer(const QString& strResponse);
    // A message of this client has run; reading goes on if it had paused.
    void MessageDone();

Q_SIGNALS:
    // bTooLong: a line over the limit, thrown away.
    void MessageReceived(CScpiClient* pClient, const QByteArray& message, bool bTooLong);
    void Left(CScpiClient* pClient);

private:
    bool IsReadable() const;
    void ReadMessages();
    void Queue(const QByteArray& message, bool bTooLong);

    QTcpSocket* m_pSocket;
    int m_nNumber;
    QString m_strPeer;
    std::shared_ptr<CClientStatus> m_pStatus;
    QByteArray m_line;
    bool m_bDiscarding = false;
    // A carriage return ended the last message: a newline right after it
    // belongs to the same end.
    bool m_bAfterReturn = false;
    int m_nWaiting = 0;
};
