#pragma once

#include "serial/link_port.h"

#include <QPointer>

class QIODevice;

// A device in this process that stands in for a serial port, such as the
// virtual board's end of its line where the system has no pseudo-terminals.
// It has no line settings and no system buffer: what arrives is readable at
// once. The device belongs to whoever made it; its closing is the port
// vanishing.
class CDevicePort : public CLinkPort {
    Q_OBJECT

public:
    explicit CDevicePort(QIODevice& device);

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
    // Open, on a device that is still there.
    bool HasDevice() const;
    void OnReadyRead();
    void OnDeviceClosing();
    void Fail(QSerialPort::SerialPortError error, const QString& strText);

    QPointer<QIODevice> m_pDevice;
    bool m_bOpen = false;
    qint64 m_nReadBufferBytes = 0;
    QSerialPort::SerialPortError m_error = QSerialPort::NoError;
    QString m_strError;
};
