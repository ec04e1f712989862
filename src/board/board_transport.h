#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QIODevice;

// The board's end of its line, where frames come in and replies go out: a
// pseudo-terminal where the system has them, else a line within this process
// (CInProcessLine) whose other end a link opens as its port.
class CBoardTransport : public QObject {
    Q_OBJECT

public:
    // Opens a new line; a pseudo-terminal also gets a symbolic link at
    // strName when it is given. Returns false with strError set.
    virtual bool Open(const QString& strName, QString& strError) = 0;
    // The client then finds the device gone.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Where a client opens the board.
    virtual QString PortName() const = 0;
    // What the client's end has sent, all of it; empty when nothing came.
    virtual QByteArray ReadAll() = 0;
    // Bytes the line took: 0 while it is full, -1 once it is gone.
    virtual qint64 Write(const QByteArray& bytes) = 0;
    // The client's end of a line within this process; none for a pseudo-terminal.
    virtual QIODevice* ClientEnd() = 0;

Q_SIGNALS:
    void Readable();
};

// Which line a board opens.
enum class BoardLineKind {
    System,     // a pseudo-terminal where the system has them, else in process
    InProcess,  // a line within this process
};

std::unique_ptr<CBoardTransport> MakeBoardTransport(BoardLineKind kind);
