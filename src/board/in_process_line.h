#pragma once

#include "board/board_transport.h"

#include <QIODevice>

// One end of a line within this process. What the other end writes is
// readable here on a later turn of the event loop, as bytes off a serial line
// are, and up to a pseudo-terminal's buffer of it; a write beyond that takes
// what fits.
class CPipeEnd : public QIODevice {
    Q_OBJECT

public:
    void SetPeer(CPipeEnd* pPeer);
    // Drops what waits to be read.
    void Clear();

    bool isSequential() const override;
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 nMaxSize) override;
    qint64 writeData(const char* data, qint64 nSize) override;

private:
    qint64 Receive(const char* data, qint64 nSize);
    void AnnounceReceived();

    CPipeEnd* m_pPeer = nullptr;
    QByteArray m_incoming;
    bool m_bAnnouncing = false;
};

// The board's line where the system has no pseudo-terminals: a pair of ends
// in this process. The link opens the client's end (CDevicePort) by the
// line's name.
class CInProcessLine : public CBoardTransport {
    Q_OBJECT

public:
    CInProcessLine();
    ~CInProcessLine() override;

    // strName names the line, "VIRTUAL" when empty.
    bool Open(const QString& strName, QString& strError) override;
    void Close() override;
    bool IsOpen() const override;
    QString PortName() const override;
    QByteArray ReadAll() override;
    qint64 Write(const QByteArray& bytes) override;
    QIODevice* ClientEnd() override;

private:
    CPipeEnd m_boardEnd;
    CPipeEnd m_clientEnd;
    QString m_strName;
};
