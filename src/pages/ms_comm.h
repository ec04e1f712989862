#pragma once

#include "serial/serial_link.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The window's serial control: the link, with the control's event model on
// top. Every receive event and port failure raises OnComm; the handler asks
// GetCommEvent what it was and GetInput for the bytes.
class CMSComm : public CSerialLink {
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

    // During a receive event its bytes, once; otherwise everything the port
    // holds, which then raises no event. Throws CommError when the port is
    // not open.
    QByteArray GetInput();
    short GetCommEvent() const;
    // The description of the last failure that raised an event.
    QString LastEventText() const;

Q_SIGNALS:
    void OnComm();

private:
    void RaiseEvent(short nEvent, const QString& strText);

    // The bytes of the receive event being raised, until they are read.
    std::optional<QByteArray> m_eventInput;
    short m_nCommEvent = 0;
    QString m_strLastEventText;
};

extern CMSComm g_msComm;
