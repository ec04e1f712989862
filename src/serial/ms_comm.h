#pragma once

#include "serial/line_settings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class CReplyGrouping;
class QSerialPort;

// The serial link: one operation per property of the original serial
// control, over a QSerialPort. Refused operations throw CommError. When
// received bytes raise an event is CReplyGrouping's business.
class CMSComm : public QObject {
    Q_OBJECT

public:
    // Values of GetCommEvent.
    static constexpr short kEventReceive = 2;
    // The port reported a failure it survived.
    static constexpr short kEventPortError = 1011;
    // The device went away (unplugged, or the other side closed); the port
    // has been closed.
    static constexpr short kEventDisconnected = 1100;

    CMSComm();
    ~CMSComm() override;

    // The main window attaches the link at start-up and detaches it when it
    // goes; until then every operation throws.
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
    QByteArray GetInput();
    short GetCommEvent() const;
    void SetInputMode(long nMode);

    // The latency timer of an adapter the system does not report, such as a
    // board simulated behind one; without it, the system is asked at each open.
    void SetAdapterLatency(std::optional<int> nMsecs);

    // The device behind CommPort and the description of the last failure
    // that raised an event.
    QString PortLocation() const;
    QString LastEventText() const;

Q_SIGNALS:
    void OnComm();

private:
    void RequireAttached(const char* pszOperation) const;
    void RequireOpen(const char* pszOperation) const;
    void ApplySettings();
    void OnPortError(int nError);
    void CloseVanishedPort();
    void RaiseEvent(short nEvent, const QString& strText);
    QString PortLabel() const;

    std::unique_ptr<QSerialPort> m_pPort;
    std::unique_ptr<CReplyGrouping> m_pGrouping;
    short m_nCommPort = 1;
    QString m_strLocation;
    short m_nInBufferSize = 1024;
    short m_nOutBufferSize = 512;
    short m_nInputLen = 0;
    LineSettings m_settings;
    short m_nCommEvent = 0;
    QString m_strLastEventText;
    // Why the port closed under us: what a later write is refused with, so
    // that one fault reads the same wherever it surfaces.
    QString m_strVanishedText;
    bool m_bClosePending = false;
    std::optional<int> m_nAdapterLatencyMsecs;
};

extern CMSComm g_msComm;
