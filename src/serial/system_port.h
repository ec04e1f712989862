#pragma once

#include "serial/device_lock.h"
#include "serial/link_port.h"

#include <QSerialPort>

// A serial device the system offers, by its name or path, through QSerialPort.
// The device a symbolic link leads to is opened and held, so that a second
// program is refused whichever name it gives; it is told as OpenError.
class CSystemPort : public CLinkPort {
    Q_OBJECT

public:
    CSystemPort();

    bool Open(const QString& strLocation) override;
    void Close() override;
    bool IsOpen() const override;
    bool ApplyLine(const LineSettings& settings) override;
    void SetReadBufferSize(qint64 nBytes) override;

    qint64 Write(const QByteArray& bytes) override;
    QByteArray Read(qint64 nMaxBytes) override;
    QByteArray Peek(qint64 nMaxBytes) override;
    qint64 BytesAvailable() const override;
    QByteArray TakeAllInput() override;

    QSerialPort::SerialPortError Error() const override;
    QString ErrorString() const override;
    void ClearError() override;

    bool HasPendingSystemBytes() const override;
    bool SetReadWakeupBytes(int nBytes) override;
    void TakeInPending() override;

private:
    QSerialPort m_port;
    CDeviceLock m_lock;
    // Why another program's hold refused the open; empty when none did.
    QString m_strBusy;
};
