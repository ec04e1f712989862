#pragma once

#include "serial/line_settings.h"
#include "serial/port_table.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <optional>

class CDevicePort;
class CLinkPort;
class CReplyGrouping;
class CSystemPort;
class CTrafficLog;
class QIODevice;

// The serial link to the board: one operation per property of the original
// serial control, over a serial port of the system or a device in this
// process (AddDevicePort). Refused operations throw CommError.
// Every receive event comes out of replyReceived with its bytes, and every
// failure of an open port out of portFailed; when received bytes make one
// event is CReplyGrouping's business.
class CSerialLink : public QObject {
    Q_OBJECT

public:
    CSerialLink();
    ~CSerialLink() override;

    // The owner attaches the link once the application runs and detaches it
    // when it goes; until then every operation throws.
    void Attach();
    void Detach();

    void SetCommPort(short nPort);
    // CommPort n on the device the port list showed for it, so that a device
    // that came or went since the list was read does not shift the choice.
    void SetCommPort(short nPort, const QString& strLocation);
    short GetCommPort() const;
    void SetInBufferSize(short nBytes);
    void SetInputLen(short nBytes);
    void SetOutBufferSize(short nBytes);
    void SetPortOpen(bool bOpen);
    bool GetPortOpen() const;
    void SetRThreshold(short nBytes);
    void SetSettings(const QString& strSettings);
    void SetOutput(const QByteArray& bytes);
    void SetInputMode(long nMode);
    // Everything the port has received and not delivered, taken at once; no
    // receive event comes for it.
    QByteArray TakeAllInput();

    // Appends the CRC text to a composed frame (so the caller holds the whole
    // frame afterwards) and writes its bytes in one write.
    void SendFrame(QString& strFrame);

    // Whole answers to a frame make events as they arrive; see CReplyGrouping.
    void SetAnswersAtOnce(bool bAtOnce);

    // A device in this process that strLocation opens in place of a serial
    // port: the virtual board where the system has no pseudo-terminals. The
    // device must outlive the link's use of it.
    void AddDevicePort(const QString& strLocation, QIODevice& device);

    // The latency timer of an adapter the system does not report, such as a
    // board simulated behind one; without it, the system is asked at each open.
    void SetAdapterLatency(std::optional<int> nMsecs);

    // Where everything that crosses the port is logged; none by default. The
    // log must outlive the link's use of it.
    void SetTrafficLog(CTrafficLog* pLog);
    CTrafficLog* TrafficLog() const;

    // The ports CommPort numbers.
    CPortTable& Ports();
    const CPortTable& Ports() const;

    // The device behind CommPort.
    QString PortLocation() const;
    // The line as set, and the latency of the adapter behind the port.
    LineSettings Line() const;
    int AdapterLatency() const;

Q_SIGNALS:
    void replyReceived(const QByteArray& bytes);
    // A frame went out through SendFrame, with its CRC.
    void frameSent(const QString& strFrame);
    // The port failed; if the device went away, the port has been closed.
    void portFailed(const QString& strWhy);

protected:
    void RequireOpen(const char* pszOperation) const;

private:
    void RequireAttached(const char* pszOperation) const;
    void ApplySettings();
    void TakeGroup();
    CLinkPort& PortFor(const QString& strLocation);
    // Its faults reach OnPortError, told from the other ports' by its address.
    void WatchFailures(const CLinkPort& port);
    void OnPortError(const CLinkPort* pPort, int nError);
    void CloseVanishedPort();
    QString PortLabel() const;

    std::unique_ptr<CSystemPort> m_pSystemPort;
    std::map<QString, std::unique_ptr<CDevicePort>> m_devicePorts;
    // The port the link opens or has open; set while attached.
    CLinkPort* m_pPort = nullptr;
    std::unique_ptr<CReplyGrouping> m_pGrouping;
    CPortTable m_ports;
    CTrafficLog* m_pLog = nullptr;
    short m_nCommPort = 1;
    QString m_strLocation;
    short m_nInBufferSize = 1024;
    short m_nOutBufferSize = 512;
    short m_nInputLen = 0;
    LineSettings m_settings;
    // Why the port closed under us: what a later write is refused with, so
    // that one fault reads the same wherever it surfaces.
    QString m_strVanishedText;
    bool m_bClosePending = false;
    std::optional<int> m_nAdapterLatencyMsecs;
    bool m_bAnswersAtOnce = false;
};
