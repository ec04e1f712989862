#pragma once

#include "serial/line_settings.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <memory>

class QSerialPort;
class QTimer;

// The serial link: one operation per property of the original serial
// control, over a QSerialPort. Refused operations throw CommError.
// Received bytes with no idle gap of about 3.5 character times between them
// are delivered as one receive event, so a reply is not split. A line that
// does not fall quiet for a long while is taken in on a timer instead, one
// event per few reports rather than a wake-up for every one.
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
    bool IsAttached() const;

    void SetCommPort(short nPort);
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
    void OnReadyRead();
    void OnReceiveIdle();
    void BeginStreaming();
    void EndStreaming();
    void OnDrainTick();
    void StopReceiving();
    void OnPortError(int nError);
    void CloseVanishedPort();
    void RaiseEvent(short nEvent, const QString& strText);
    QString PortLabel() const;
    QString VanishedText() const;
    int IdleGapMsecs() const;
    int LongestWaitMsecs() const;
    int DrainMsecs() const;

    std::unique_ptr<QSerialPort> m_pPort;
    std::unique_ptr<QTimer> m_pIdleTimer;
    std::unique_ptr<QTimer> m_pDrainTimer;
    // Since the first byte not yet delivered arrived.
    QElapsedTimer m_pendingSince;
    short m_nCommPort = 1;
    QString m_strLocation;
    short m_nInBufferSize = 1024;
    short m_nOutBufferSize = 512;
    short m_nInputLen = 0;
    short m_nRThreshold = 0;
    LineSettings m_settings;
    short m_nCommEvent = 0;
    QString m_strLastEventText;
    // Why the port closed under us: what a later write is refused with, so
    // that one fault reads the same wherever it surfaces.
    QString m_strVanishedText;
    bool m_bClosePending = false;
    // The system holds received bytes until the drain timer takes them in.
    bool m_bStreaming = false;
    bool m_bArrivedSinceDrain = false;
};

extern CMSComm g_msComm;
