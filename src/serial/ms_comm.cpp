#include "serial/ms_comm.h"

#include "serial/comm_error.h"
#include "serial/port_table.h"
#include "serial/read_wakeup.h"

#include <QSerialPort>
#include <QTimer>

#include <algorithm>
#include <cmath>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#endif

CMSComm g_msComm;

namespace {

QString OpenFailureText(const QString& strPort, const QSerialPort& port)
{
    const QString strReason = port.errorString();
    switch (port.error()) {
    case QSerialPort::PermissionError:
        // The same error comes back for a port another program holds.
        return QStringLiteral("Cannot open serial port %1: %2. Another program may be using the port; "
                              "otherwise make sure your user is in the dialout group "
                              "(sudo usermod -aG dialout $USER, then log in again).")
            .arg(strPort, strReason);
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("Cannot open serial port %1: the device does not exist (%2). Is the board plugged in?")
            .arg(strPort, strReason);
    case QSerialPort::OpenError:
        return QStringLiteral("Cannot open serial port %1: it is already open or in use (%2).").arg(strPort, strReason);
    default:
        return QStringLiteral("Cannot open serial port %1: %2.").arg(strPort, strReason);
    }
}

// Data still in the kernel, not yet taken in by the port object.
bool HasPendingSystemBytes(const QSerialPort& port)
{
#ifdef Q_OS_UNIX
    int nPending = 0;
    return ::ioctl(static_cast<int>(port.handle()), FIONREAD, &nPending) == 0 && nPending > 0;
#else
    Q_UNUSED(port)
    return false;
#endif
}

} // namespace

CMSComm::CMSComm() = default;

CMSComm::~CMSComm() = default;

void CMSComm::Attach()
{
    if (m_pPort)
        return;
    m_pPort = std::make_unique<QSerialPort>();
    m_pIdleTimer = std::make_unique<QTimer>();
    m_pIdleTimer->setSingleShot(true);
    m_pIdleTimer->setTimerType(Qt::PreciseTimer);
    m_pDrainTimer = std::make_unique<QTimer>();
    m_pDrainTimer->setTimerType(Qt::PreciseTimer);
    connect(m_pPort.get(), &QSerialPort::readyRead, this, &CMSComm::OnReadyRead);
    connect(m_pPort.get(), &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { OnPortError(error); });
    connect(m_pIdleTimer.get(), &QTimer::timeout, this, &CMSComm::OnReceiveIdle);
    connect(m_pDrainTimer.get(), &QTimer::timeout, this, &CMSComm::OnDrainTick);
}

void CMSComm::Detach()
{
    m_strVanishedText.clear();
    m_pIdleTimer.reset();
    m_pDrainTimer.reset();
    m_bStreaming = false;
    if (m_pPort) {
        m_pPort->disconnect(this);
        m_pPort.reset();
    }
    m_bClosePending = false;
}

bool CMSComm::IsAttached() const
{
    return m_pPort != nullptr;
}

void CMSComm::SetCommPort(short nPort)
{
    RequireAttached("choose a port");
    if (m_pPort->isOpen())
        throw CommError(QStringLiteral("Cannot choose port %1 while %2 is open; close it first.").arg(nPort).arg(PortLabel()));
    if (nPort < 1)
        throw CommError(QStringLiteral("There is no serial port number %1; ports count from 1.").arg(nPort));
    m_nCommPort = nPort;
    m_strLocation = PortLocationAt(nPort);
}

short CMSComm::GetCommPort() const
{
    return m_nCommPort;
}

void CMSComm::SetInBufferSize(short nBytes)
{
    RequireAttached("set the input buffer size");
    if (nBytes < 1)
        throw CommError(QStringLiteral("An input buffer of %1 bytes is not possible.").arg(nBytes));
    m_nInBufferSize = nBytes;
    m_pPort->setReadBufferSize(nBytes);
}

void CMSComm::SetInputLen(short nBytes)
{
    RequireAttached("set the read length");
    if (nBytes < 0)
        throw CommError(QStringLiteral("A read length of %1 bytes is not possible.").arg(nBytes));
    m_nInputLen = nBytes;
}

void CMSComm::SetOutBufferSize(short nBytes)
{
    RequireAttached("set the output buffer size");
    if (nBytes < 1)
        throw CommError(QStringLiteral("An output buffer of %1 bytes is not possible.").arg(nBytes));
    m_nOutBufferSize = nBytes;
}

void CMSComm::SetPortOpen(bool bOpen)
{
    RequireAttached(bOpen ? "open the port" : "close the port");
    if (!bOpen) {
        m_strVanishedText.clear();
        StopReceiving();
        if (m_pPort->isOpen())
            m_pPort->close();
        return;
    }
    if (m_pPort->isOpen())
        return;
    if (m_strLocation.isEmpty()) {
        const QList<PortEntry> table = ReadPortTable();
        if (m_nCommPort > table.size()) {
            throw CommError(QStringLiteral("Cannot open serial port %1: the system reports %2 serial device(s). "
                                           "Connect the board and pick it from the port list, or start the "
                                           "program with --simulate or --port DEVICE.")
                                .arg(m_nCommPort)
                                .arg(table.size()));
        }
        m_strLocation = table[m_nCommPort - 1].strLocation;
    }
    m_pPort->setPortName(m_strLocation);
    m_pPort->setReadBufferSize(m_nInBufferSize);
    m_bClosePending = false;
    if (!m_pPort->open(QIODevice::ReadWrite))
        throw CommError(OpenFailureText(m_strLocation, *m_pPort));
    m_strVanishedText.clear();
    try {
        ApplySettings();
    } catch (const CommError&) {
        m_pPort->close();
        throw;
    }
}

bool CMSComm::GetPortOpen() const
{
    return m_pPort && m_pPort->isOpen();
}

void CMSComm::SetRThreshold(short nBytes)
{
    RequireAttached("set the receive threshold");
    if (nBytes < 0)
        throw CommError(QStringLiteral("A receive threshold of %1 bytes is not possible.").arg(nBytes));
    m_nRThreshold = nBytes;
}

void CMSComm::SetSettings(const QString& strSettings)
{
    RequireAttached("set the line");
    const std::optional<LineSettings> settings = ParseLineSettings(strSettings);
    if (!settings) {
        throw CommError(QStringLiteral("Invalid line settings \"%1\": expected baud rate, parity, data bits and "
                                       "stop bits, such as 9600,n,8,1.")
                            .arg(strSettings));
    }
    m_settings = *settings;
    if (m_pPort->isOpen())
        ApplySettings();
}

void CMSComm::SetOutput(const QByteArray& bytes)
{
    RequireOpen("write to");
    if (bytes.size() > m_nOutBufferSize) {
        throw CommError(QStringLiteral("Cannot write %1 bytes to %2: the output buffer holds %3.")
                            .arg(bytes.size())
                            .arg(PortLabel())
                            .arg(m_nOutBufferSize));
    }
    m_pPort->clearError();
    const qint64 nQueued = m_pPort->write(bytes);
    // Out now rather than at the next turn of the event loop: one frame, one write.
    m_pPort->flush();
    const QSerialPort::SerialPortError error = m_pPort->error();
    if (error == QSerialPort::WriteError || error == QSerialPort::ResourceError) {
        // The device went away under the write: this refusal is the one
        // report of it, so the disconnect raises no event of its own.
        m_strVanishedText = VanishedText();
        m_bClosePending = false;
        StopReceiving();
        m_pPort->close();
        throw CommError(m_strVanishedText);
    }
    if (nQueued != bytes.size()) {
        throw CommError(
            QStringLiteral("Cannot write to serial port %1: %2.").arg(PortLabel(), m_pPort->errorString()));
    }
}

QByteArray CMSComm::GetInput()
{
    RequireOpen("read from");
    const qint64 nLimit = m_nInputLen > 0 ? std::min(m_nInputLen, m_nInBufferSize) : m_nInBufferSize;
    const QByteArray bytes = m_pPort->read(nLimit);
    // While streaming, the next drain takes the rest.
    if (m_nRThreshold > 0 && !m_bStreaming && m_pPort->bytesAvailable() > 0)
        m_pIdleTimer->start(IdleGapMsecs());
    return bytes;
}

short CMSComm::GetCommEvent() const
{
    return m_nCommEvent;
}

void CMSComm::SetInputMode(long nMode)
{
    RequireAttached("set the input mode");
    // Both modes deliver the bytes as they came; only the value is checked.
    if (nMode != 0 && nMode != 1)
        throw CommError(QStringLiteral("Input mode %1 does not exist; 0 is text and 1 is binary.").arg(nMode));
}

QString CMSComm::PortLocation() const
{
    return m_strLocation;
}

QString CMSComm::LastEventText() const
{
    return m_strLastEventText;
}

void CMSComm::RequireAttached(const char* pszOperation) const
{
    if (!m_pPort) {
        throw CommError(
            QStringLiteral("Cannot %1: the serial link is not attached to the window yet.").arg(QLatin1String(pszOperation)));
    }
}

void CMSComm::RequireOpen(const char* pszOperation) const
{
    RequireAttached(pszOperation);
    if (!m_pPort->isOpen() && !m_strVanishedText.isEmpty())
        throw CommError(m_strVanishedText, true);
    if (!m_pPort->isOpen()) {
        throw CommError(QStringLiteral("Cannot %1 serial port %2: the port is not open. Pick a port from the list.")
                            .arg(QLatin1String(pszOperation), PortLabel()));
    }
}

void CMSComm::ApplySettings()
{
    const bool bApplied = m_pPort->setBaudRate(m_settings.nBaudRate) && m_pPort->setParity(m_settings.parity)
        && m_pPort->setDataBits(m_settings.dataBits) && m_pPort->setStopBits(m_settings.stopBits)
        && m_pPort->setFlowControl(QSerialPort::NoFlowControl);
    if (!bApplied) {
        throw CommError(QStringLiteral("Cannot set the line of serial port %1: %2.").arg(PortLabel(), m_pPort->errorString()));
    }
}

void CMSComm::OnReadyRead()
{
    if (m_nRThreshold <= 0)
        return;
    const bool bFull = m_pPort->bytesAvailable() >= m_nInBufferSize;
    if (m_bStreaming) {
        m_bArrivedSinceDrain = true;
        if (bFull)
            RaiseEvent(kEventReceive, QString());
        return;
    }
    if (!m_pIdleTimer->isActive())
        m_pendingSince.start();
    if (bFull) {
        m_pIdleTimer->stop();
        OnReceiveIdle();
        return;
    }
    // Bytes held for as long as a reply many times longer than the board's
    // would take: the line is streaming, and waiting for the gap would hold
    // the newest bytes back without end.
    if (m_pendingSince.elapsed() >= LongestWaitMsecs()) {
        m_pIdleTimer->stop();
        BeginStreaming();
        OnReceiveIdle();
        return;
    }
    m_pIdleTimer->start(IdleGapMsecs());
}

void CMSComm::OnReceiveIdle()
{
    if (!m_pPort || !m_pPort->isOpen())
        return;
    // A late timer must not split a reply whose next byte is already here.
    if (m_pPort->bytesAvailable() < m_nInBufferSize && m_pendingSince.elapsed() < LongestWaitMsecs()
        && HasPendingSystemBytes(*m_pPort)) {
        m_pIdleTimer->start(IdleGapMsecs());
        return;
    }
    if (m_pPort->bytesAvailable() >= std::max<short>(1, m_nRThreshold))
        RaiseEvent(kEventReceive, QString());
}

void CMSComm::BeginStreaming()
{
    if (!SetReadWakeupBytes(m_pPort->handle(), kMostReadWakeupBytes))
        return;
    m_bStreaming = true;
    m_bArrivedSinceDrain = false;
    m_pDrainTimer->start(DrainMsecs());
}

void CMSComm::EndStreaming()
{
    if (!m_bStreaming)
        return;
    m_bStreaming = false;
    m_pDrainTimer->stop();
    if (m_pPort->isOpen())
        SetReadWakeupBytes(m_pPort->handle(), 0);
}

void CMSComm::OnDrainTick()
{
    if (!m_pPort->isOpen()) {
        EndStreaming();
        return;
    }
    if (HasPendingSystemBytes(*m_pPort)) {
        // The port object takes in only what the system reports readable.
        SetReadWakeupBytes(m_pPort->handle(), 0);
        m_pPort->waitForReadyRead(0);
        if (m_pPort->isOpen())
            SetReadWakeupBytes(m_pPort->handle(), kMostReadWakeupBytes);
    } else if (!m_bArrivedSinceDrain) {
        // Quiet for a whole drain period: back to waking at the first byte.
        EndStreaming();
    }
    m_bArrivedSinceDrain = false;
    if (m_pPort->isOpen() && m_pPort->bytesAvailable() >= std::max<short>(1, m_nRThreshold))
        RaiseEvent(kEventReceive, QString());
}

void CMSComm::StopReceiving()
{
    m_pIdleTimer->stop();
    EndStreaming();
}

void CMSComm::OnPortError(int nError)
{
    switch (static_cast<QSerialPort::SerialPortError>(nError)) {
    case QSerialPort::NoError:
    case QSerialPort::NotOpenError:
    case QSerialPort::TimeoutError:
        return;
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
    case QSerialPort::DeviceNotFoundError:
        // A vanished device reports this many times a second until the port
        // is closed; close it once, outside the port's own call stack.
        if (m_pPort->isOpen() && !m_bClosePending) {
            m_bClosePending = true;
            StopReceiving();
            QMetaObject::invokeMethod(this, &CMSComm::CloseVanishedPort, Qt::QueuedConnection);
        }
        return;
    default:
        if (m_pPort->isOpen()) {
            RaiseEvent(kEventPortError,
                       QStringLiteral("Serial port %1 reported a failure: %2.").arg(PortLabel(), m_pPort->errorString()));
        }
        return;
    }
}

void CMSComm::CloseVanishedPort()
{
    if (!m_bClosePending || !m_pPort || !m_pPort->isOpen())
        return;
    m_bClosePending = false;
    m_strVanishedText = VanishedText();
    m_pPort->close();
    RaiseEvent(kEventDisconnected, m_strVanishedText);
}

void CMSComm::RaiseEvent(short nEvent, const QString& strText)
{
    m_nCommEvent = nEvent;
    m_strLastEventText = strText;
    Q_EMIT OnComm();
}

QString CMSComm::VanishedText() const
{
    return QStringLiteral("Serial port %1 went away (%2). Plug the board in again and pick its port from the list.")
        .arg(PortLabel(), m_pPort->errorString());
}

QString CMSComm::PortLabel() const
{
    return m_strLocation.isEmpty() ? QString::number(m_nCommPort) : m_strLocation;
}

int CMSComm::LongestWaitMsecs() const
{
    return 4 * IdleGapMsecs();
}

int CMSComm::DrainMsecs() const
{
    return 4 * IdleGapMsecs();
}

int CMSComm::IdleGapMsecs() const
{
    const double dMsecs = 3.5 * m_settings.BitsPerCharacter() * 1000.0 / m_settings.nBaudRate;
    return std::max(2, static_cast<int>(std::ceil(dMsecs)));
}
