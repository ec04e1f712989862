#include "serial/system_port.h"

#include "serial/read_wakeup.h"

#include <QSignalBlocker>

CSystemPort::CSystemPort()
{
    connect(&m_port, &QSerialPort::readyRead, this, &CLinkPort::ReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &CLinkPort::Failed);
}

bool CSystemPort::Open(const QString& strLocation)
{
    m_port.setPortName(strLocation);
    return m_port.open(QIODevice::ReadWrite);
}

void CSystemPort::Close()
{
    m_port.close();
}

bool CSystemPort::IsOpen() const
{
    return m_port.isOpen();
}

bool CSystemPort::ApplyLine(const LineSettings& settings)
{
    return m_port.setBaudRate(settings.nBaudRate) && m_port.setParity(settings.parity)
        && m_port.setDataBits(settings.dataBits) && m_port.setStopBits(settings.stopBits)
        && m_port.setFlowControl(QSerialPort::NoFlowControl);
}

void CSystemPort::SetReadBufferSize(qint64 nBytes)
{
    m_port.setReadBufferSize(nBytes);
}

qint64 CSystemPort::Write(const QByteArray& bytes)
{
    const qint64 nQueued = m_port.write(bytes);
    // Out now rather than at the next turn of the event loop: one frame, one write.
    m_port.flush();
    return nQueued;
}

QByteArray CSystemPort::Read(qint64 nMaxBytes)
{
    return m_port.read(nMaxBytes);
}

QByteArray CSystemPort::TakeAllInput()
{
    const QSignalBlocker blocker(m_port);
    m_port.waitForReadyRead(0);
    const QByteArray bytes = m_port.readAll();
    // Whatever arrived meanwhile goes too.
    m_port.clear(QSerialPort::Input);
    return bytes;
}

QByteArray CSystemPort::Peek(qint64 nMaxBytes)
{
    return m_port.peek(nMaxBytes);
}

qint64 CSystemPort::BytesAvailable() const
{
    return m_port.bytesAvailable();
}

QSerialPort::SerialPortError CSystemPort::Error() const
{
    return m_port.error();
}

QString CSystemPort::ErrorString() const
{
    return m_port.errorString();
}

void CSystemPort::ClearError()
{
    m_port.clearError();
}

bool CSystemPort::HasPendingSystemBytes() const
{
    return m_port.isOpen() && ::HasPendingSystemBytes(m_port);
}

bool CSystemPort::SetReadWakeupBytes(int nBytes)
{
    return m_port.isOpen() && ::SetReadWakeupBytes(m_port, nBytes);
}

void CSystemPort::TakeInPending()
{
    m_port.waitForReadyRead(0);
}
