#include "serial/device_port.h"

#include <QIODevice>

#include <algorithm>

CDevicePort::CDevicePort(QIODevice& device)
    : m_pDevice(&device)
{
    connect(&device, &QIODevice::readyRead, this, &CDevicePort::OnReadyRead);
    connect(&device, &QIODevice::aboutToClose, this, &CDevicePort::OnDeviceClosing);
}

bool CDevicePort::Open(const QString& strLocation)
{
    ClearError();
    if (!m_pDevice || !m_pDevice->isOpen()) {
        m_error = QSerialPort::DeviceNotFoundError;
        m_strError = QStringLiteral("%1 has gone").arg(strLocation);
        return false;
    }
    if (m_bOpen) {
        m_error = QSerialPort::OpenError;
        m_strError = QStringLiteral("already open");
        return false;
    }
    // What came while the port was closed was never received.
    m_pDevice->readAll();
    m_bOpen = true;
    return true;
}

void CDevicePort::Close()
{
    m_bOpen = false;
}

bool CDevicePort::IsOpen() const
{
    return m_bOpen;
}

bool CDevicePort::ApplyLine(const LineSettings&)
{
    return m_bOpen;
}

void CDevicePort::SetReadBufferSize(qint64 nBytes)
{
    m_nReadBufferBytes = nBytes;
}

qint64 CDevicePort::Write(const QByteArray& bytes)
{
    if (!HasDevice()) {
        Fail(m_bOpen ? QSerialPort::ResourceError : QSerialPort::NotOpenError,
             m_bOpen ? QStringLiteral("the device has gone") : QStringLiteral("not open"));
        return -1;
    }
    const qint64 nWritten = m_pDevice->write(bytes);
    if (nWritten < 0)
        Fail(QSerialPort::WriteError, m_pDevice->errorString());
    return nWritten;
}

QByteArray CDevicePort::Read(qint64 nMaxBytes)
{
    return HasDevice() ? m_pDevice->read(std::min(nMaxBytes, BytesAvailable())) : QByteArray();
}

QByteArray CDevicePort::TakeAllInput()
{
    return HasDevice() ? m_pDevice->readAll() : QByteArray();
}

QByteArray CDevicePort::Peek(qint64 nMaxBytes)
{
    return HasDevice() ? m_pDevice->peek(std::min(nMaxBytes, BytesAvailable())) : QByteArray();
}

// As a serial port's read buffer, it holds no more than its size; the rest
// waits behind it.
qint64 CDevicePort::BytesAvailable() const
{
    if (!HasDevice())
        return 0;
    const qint64 nAvailable = m_pDevice->bytesAvailable();
    return m_nReadBufferBytes > 0 ? std::min(nAvailable, m_nReadBufferBytes) : nAvailable;
}

QSerialPort::SerialPortError CDevicePort::Error() const
{
    return m_error;
}

QString CDevicePort::ErrorString() const
{
    return m_strError;
}

void CDevicePort::ClearError()
{
    m_error = QSerialPort::NoError;
    m_strError.clear();
}

bool CDevicePort::HasPendingSystemBytes() const
{
    return false;
}

bool CDevicePort::SetReadWakeupBytes(int)
{
    return false;
}

void CDevicePort::TakeInPending()
{
}

bool CDevicePort::HasDevice() const
{
    return m_bOpen && m_pDevice && m_pDevice->isOpen();
}

void CDevicePort::OnReadyRead()
{
    if (m_bOpen)
        Q_EMIT ReadyRead();
}

void CDevicePort::OnDeviceClosing()
{
    if (m_bOpen)
        Fail(QSerialPort::ResourceError, QStringLiteral("the device was closed"));
}

void CDevicePort::Fail(QSerialPort::SerialPortError error, const QString& strText)
{
    m_error = error;
    m_strError = strText;
    Q_EMIT Failed(error);
}
