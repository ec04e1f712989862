#pragma once

#include "serial/line_settings.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

// The most received bytes a system can be asked to wait for.
constexpr int kMostReadWakeupBytes = 255;

// What the link reads and writes: a serial device through the system
// (CSystemPort), or a device in this process (CDevicePort), such as the
// virtual board where the system has no pseudo-terminals. Errors are told in
// QSerialPort's terms, whichever it is.
class CLinkPort : public QObject {
    Q_OBJECT

public:
    virtual bool Open(const QString& strLocation) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual bool ApplyLine(const LineSettings& settings) = 0;
    virtual void SetReadBufferSize(qint64 nBytes) = 0;

    // Queues the bytes and starts them on their way at once; the count queued.
    virtual qint64 Write(const QByteArray& bytes) = 0;
    virtual QByteArray Read(qint64 nMaxBytes) = 0;
    virtual QByteArray Peek(qint64 nMaxBytes) = 0;
    virtual qint64 BytesAvailable() const = 0;
    // Everything received so far, the system's bytes too, without a ReadyRead.
    virtual QByteArray TakeAllInput() = 0;

    virtual QSerialPort::SerialPortError Error() const = 0;
    virtual QString ErrorString() const = 0;
    virtual void ClearError() = 0;

    // Whether the system holds received bytes that the port has not taken in.
    virtual bool HasPendingSystemBytes() const = 0;
    // How many received bytes the system waits for before it raises ReadyRead;
    // false where it offers no such setting.
    virtual bool SetReadWakeupBytes(int nBytes) = 0;
    // Takes in what the system reports readable, without waiting.
    virtual void TakeInPending() = 0;

Q_SIGNALS:
    void ReadyRead();
    void Failed(QSerialPort::SerialPortError error);
};
