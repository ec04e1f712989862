#include "serial/serial_link.h"

#include "protocol/frame.h"
#include "serial/adapter_latency.h"
#include "serial/comm_error.h"
#include "serial/comm_texts.h"
#include "serial/device_port.h"
#include "serial/port_table.h"
#include "serial/reply_grouping.h"
#include "serial/system_port.h"
#include "serial/traffic_log.h"

#include <algorithm>

namespace {

void LogPort(CTrafficLog* pLog, PortChange change, const QString& strDevice, const QString& strError)
{
    if (pLog)
        pLog->Port(change, strDevice, strError);
}

} // namespace

CSerialLink::CSerialLink() = default;

CSerialLink::~CSerialLink() = default;

void CSerialLink::Attach()
{
    if (m_pPort)
        return;
    m_pSystemPort = std::make_unique<CSystemPort>();
    m_pPort = m_pSystemPort.get();
    m_pGrouping = std::make_unique<CReplyGrouping>(*m_pPort);
    m_pGrouping->SetLine(m_settings);
    m_pGrouping->SetBufferBytes(m_nInBufferSize);
    m_pGrouping->SetAnswersAtOnce(m_bAnswersAtOnce);
    connect(m_pGrouping.get(), &CReplyGrouping::GroupReady, this, &CSerialLink::TakeGroup);
    WatchFailures(*m_pSystemPort);
}

void CSerialLink::WatchFailures(const CLinkPort& port)
{
    const CLinkPort* pPort = &port;
    connect(pPort, &CLinkPort::Failed, this,
            [this, pPort](QSerialPort::SerialPortError error) { OnPortError(pPort, error); });
}

void CSerialLink::Detach()
{
    m_strVanishedText.clear();
    m_pGrouping.reset();
    if (m_pPort && m_pPort->IsOpen())
        LogPort(m_pLog, PortChange::Closed, m_strLocation, QString());
    if (m_pSystemPort)
        m_pSystemPort->disconnect(this);
    if (m_pPort)
        m_pPort->Close();
    m_pPort = nullptr;
    m_pSystemPort.reset();
    m_bClosePending = false;
}

void CSerialLink::AddDevicePort(const QString& strLocation, QIODevice& device)
{
    const auto existing = m_devicePorts.find(strLocation);
    if (existing != m_devicePorts.end() && existing->second.get() == m_pPort) {
        // The port open there goes with the device it stood for.
        SetPortOpen(false);
        m_pPort = m_pSystemPort.get();
        m_pGrouping->SetPort(*m_pPort);
    }
    auto pPort = std::make_unique<CDevicePort>(device);
    WatchFailures(*pPort);
    m_devicePorts[strLocation] = std::move(pPort);
}

CLinkPort& CSerialLink::PortFor(const QString& strLocation)
{
    const auto device = m_devicePorts.find(strLocation);
    if (device != m_devicePorts.end())
        return *device->second;
    return *m_pSystemPort;
}

void CSerialLink::SetCommPort(short nPort)
{
    RequireAttached("choose a port");
    if (m_pPort->IsOpen())
        throw CommError(PortBusyText(nPort, PortLabel()));
    SetCommPort(nPort, m_ports.LocationAt(nPort));
}

void CSerialLink::SetCommPort(short nPort, const QString& strLocation)
{
    RequireAttached("choose a port");
    if (m_pPort->IsOpen())
        throw CommError(PortBusyText(nPort, PortLabel()));
    if (nPort < 1)
        throw CommError(PortNumberText(nPort));
    m_nCommPort = nPort;
    m_strLocation = strLocation;
}

short CSerialLink::GetCommPort() const
{
    return m_nCommPort;
}

void CSerialLink::SetInBufferSize(short nBytes)
{
    RequireAttached("set the input buffer size");
    if (nBytes < 1)
        throw CommError(ImpossibleSizeText("An input buffer", nBytes));
    m_nInBufferSize = nBytes;
    m_pPort->SetReadBufferSize(nBytes);
    m_pGrouping->SetBufferBytes(nBytes);
}

void CSerialLink::SetInputLen(short nBytes)
{
    RequireAttached("set the read length");
    if (nBytes < 0)
        throw CommError(ImpossibleSizeText("A read length", nBytes));
    m_nInputLen = nBytes;
}

void CSerialLink::SetOutBufferSize(short nBytes)
{
    RequireAttached("set the output buffer size");
    if (nBytes < 1)
        throw CommError(ImpossibleSizeText("An output buffer", nBytes));
    m_nOutBufferSize = nBytes;
}

void CSerialLink::SetPortOpen(bool bOpen)
{
    RequireAttached(bOpen ? "open the port" : "close the port");
    if (!bOpen) {
        m_strVanishedText.clear();
        m_pGrouping->Stop();
        if (m_pPort->IsOpen()) {
            m_pPort->Close();
            LogPort(m_pLog, PortChange::Closed, m_strLocation, QString());
        }
        return;
    }
    if (m_pPort->IsOpen())
        return;
    if (m_strLocation.isEmpty()) {
        const QList<PortEntry> table = m_ports.Read();
        if (m_nCommPort > table.size())
            throw CommError(NoSuchPortText(m_nCommPort, table.size()));
        m_strLocation = table[m_nCommPort - 1].strLocation;
    }
    m_pPort = &PortFor(m_strLocation);
    m_pGrouping->SetPort(*m_pPort);
    m_pPort->SetReadBufferSize(m_nInBufferSize);
    m_bClosePending = false;
    if (!m_pPort->Open(m_strLocation)) {
        const QString strText = OpenFailureText(m_strLocation, m_pPort->Error(), m_pPort->ErrorString());
        LogPort(m_pLog, PortChange::Error, m_strLocation, strText);
        throw CommError(strText);
    }
    m_strVanishedText.clear();
    m_pGrouping->SetAdapterLatency(m_nAdapterLatencyMsecs.value_or(AdapterLatencyMsecs(m_strLocation)));
    try {
        ApplySettings();
    } catch (const CommError& error) {
        m_pPort->Close();
        LogPort(m_pLog, PortChange::Error, m_strLocation, QString::fromStdString(error.what()));
        throw;
    }
    LogPort(m_pLog, PortChange::Opened, m_strLocation, QString());
}

bool CSerialLink::GetPortOpen() const
{
    return m_pPort && m_pPort->IsOpen();
}

void CSerialLink::SetRThreshold(short nBytes)
{
    RequireAttached("set the receive threshold");
    if (nBytes < 0)
        throw CommError(ImpossibleSizeText("A receive threshold", nBytes));
    m_pGrouping->SetThreshold(nBytes);
}

void CSerialLink::SetSettings(const QString& strSettings)
{
    RequireAttached("set the line");
    const std::optional<LineSettings> settings = ParseLineSettings(strSettings);
    if (!settings)
        throw CommError(SettingsText(strSettings));
    m_settings = *settings;
    m_pGrouping->SetLine(m_settings);
    if (m_pPort->IsOpen())
        ApplySettings();
}

void CSerialLink::SetOutput(const QByteArray& bytes)
{
    RequireOpen("write to");
    if (bytes.size() > m_nOutBufferSize)
        throw CommError(OutputTooLongText(bytes.size(), PortLabel(), m_nOutBufferSize));
    m_pPort->ClearError();
    const qint64 nQueued = m_pPort->Write(bytes);
    const QSerialPort::SerialPortError error = m_pPort->Error();
    if (error == QSerialPort::WriteError || error == QSerialPort::ResourceError) {
        // The device went away under the write: this refusal is the one
        // report of it, so the disconnect raises no event of its own.
        m_strVanishedText = VanishedText(PortLabel(), m_pPort->ErrorString());
        m_bClosePending = false;
        m_pGrouping->Stop();
        m_pPort->Close();
        LogPort(m_pLog, PortChange::Vanished, m_strLocation, m_strVanishedText);
        throw CommError(m_strVanishedText);
    }
    if (nQueued != bytes.size())
        throw CommError(WriteFailureText(PortLabel(), m_pPort->ErrorString()));
    m_pGrouping->FrameWritten();
}

void CSerialLink::SetInputMode(long nMode)
{
    RequireAttached("set the input mode");
    // Both modes deliver the bytes as they came; only the value is checked.
    if (nMode != 0 && nMode != 1)
        throw CommError(InputModeText(nMode));
}

QByteArray CSerialLink::TakeAllInput()
{
    RequireOpen("read from");
    m_pGrouping->Stop();
    const QByteArray bytes = m_pPort->TakeAllInput();
    m_pGrouping->AfterRead();
    return bytes;
}

void CSerialLink::SetAnswersAtOnce(bool bAtOnce)
{
    m_bAnswersAtOnce = bAtOnce;
    if (m_pGrouping)
        m_pGrouping->SetAnswersAtOnce(bAtOnce);
}

void CSerialLink::SetAdapterLatency(std::optional<int> nMsecs)
{
    m_nAdapterLatencyMsecs = nMsecs;
}

QString CSerialLink::PortLocation() const
{
    return m_strLocation;
}

void CSerialLink::SendFrame(QString& strFrame)
{
    SetOutput(SealFrame(strFrame));
    if (m_pLog)
        m_pLog->FrameWritten(strFrame);
    Q_EMIT frameSent(strFrame);
}

void CSerialLink::SetTrafficLog(CTrafficLog* pLog)
{
    m_pLog = pLog;
}

CTrafficLog* CSerialLink::TrafficLog() const
{
    return m_pLog;
}

CPortTable& CSerialLink::Ports()
{
    return m_ports;
}

const CPortTable& CSerialLink::Ports() const
{
    return m_ports;
}

void CSerialLink::RequireAttached(const char* pszOperation) const
{
    if (!m_pPort)
        throw CommError(NotAttachedText(pszOperation));
}

void CSerialLink::RequireOpen(const char* pszOperation) const
{
    RequireAttached(pszOperation);
    if (!m_pPort->IsOpen() && !m_strVanishedText.isEmpty())
        throw CommError(m_strVanishedText);
    if (!m_pPort->IsOpen())
        throw CommError(NotOpenText(pszOperation, PortLabel()));
}

void CSerialLink::ApplySettings()
{
    if (!m_pPort->ApplyLine(m_settings))
        throw CommError(LineFailureText(PortLabel(), m_pPort->ErrorString()));
}

void CSerialLink::OnPortError(const CLinkPort* pPort, int nError)
{
    if (pPort != m_pPort)
        return;
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
        if (m_pPort->IsOpen() && !m_bClosePending) {
            m_bClosePending = true;
            m_pGrouping->Stop();
            QMetaObject::invokeMethod(this, &CSerialLink::CloseVanishedPort, Qt::QueuedConnection);
        }
        return;
    default:
        if (m_pPort->IsOpen()) {
            const QString strText = PortFailureText(PortLabel(), m_pPort->ErrorString());
            LogPort(m_pLog, PortChange::Error, m_strLocation, strText);
            Q_EMIT portFailed(strText);
        }
        return;
    }
}

void CSerialLink::CloseVanishedPort()
{
    if (!m_bClosePending || !m_pPort || !m_pPort->IsOpen())
        return;
    m_bClosePending = false;
    m_strVanishedText = VanishedText(PortLabel(), m_pPort->ErrorString());
    m_pPort->Close();
    LogPort(m_pLog, PortChange::Vanished, m_strLocation, m_strVanishedText);
    Q_EMIT portFailed(m_strVanishedText);
}

void CSerialLink::TakeGroup()
{
    const qint64 nLimit = m_nInputLen > 0 ? std::min(m_nInputLen, m_nInBufferSize) : m_nInBufferSize;
    const QByteArray bytes = m_pPort->Read(std::min(nLimit, m_pGrouping->GroupBytes()));
    m_pGrouping->AfterRead();
    if (m_pLog)
        m_pLog->Received(bytes);
    Q_EMIT replyReceived(bytes);
}

QString CSerialLink::PortLabel() const
{
    return m_strLocation.isEmpty() ? QString::number(m_nCommPort) : m_strLocation;
}

LineSettings CSerialLink::Line() const
{
    return m_settings;
}

int CSerialLink::AdapterLatency() const
{
    return m_nAdapterLatencyMsecs.value_or(AdapterLatencyMsecs(m_strLocation));
}
