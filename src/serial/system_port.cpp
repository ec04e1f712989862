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
    m_strBusy.clear();
    const QString strDevice = CDeviceLock::DeviceOf(strLocation);
    const CDeviceLock::Outcome lock = m_lock.Take(strDevice);
    if (lock == CDeviceLock::Outcome::Busy) {
        m_strBusy = QStringLiteral("%1 is locked").arg(strDevice);
        return false;
    }
    // By the device's own name, so that the serial stack's lock file is one
    // per device too.
    m_port.setPortName(strDevice);
    if (m_port.open(QIODevice::ReadWrite))
        return true;
    // The device let us in a moment ago: a refusal now is another program's
    // lock file or exclusive mode, not a matter of rights.
    if (lock == CDeviceLock::Outcome::Taken && m_port.error() == QSerialPort::PermissionError)
        m_strBusy = m_port.errorString();
    m_lock.Release();
    return false;
}

void CSystemPort::Close()
{
    m_port.close();
    m_lock.Release();
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
    return m_strBusy.isEmpty() ? m_port.error() : QSerialPort::OpenError;
}

QString CSystemPort::ErrorString() const
{
    return m_strBusy.isEmpty() ? m_port.errorString() : m_strBusy;
}

void CSystemPort::ClearError()
{
    m_strBusy.clear();
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
