#include "pages/ms_comm.h"

#include <utility>

CMSComm g_msComm;

CMSComm::CMSComm()
{
    connect(this, &CSerialLink::replyReceived, this, [this](const QByteArray& bytes) {
        m_eventInput = bytes;
        RaiseEvent(kEventReceive, QString());
        m_eventInput.reset();
    });
    connect(this, &CSerialLink::portFailed, this, [this](const QString& strWhy) {
        RaiseEvent(GetPortOpen() ? kEventPortError : kEventDisconnected, strWhy);
    });
}

QByteArray CMSComm::GetInput()
{
    RequireOpen("read from");
    if (m_eventInput)
        return *std::exchange(m_eventInput, std::nullopt);
    return TakeAllInput();
}

short CMSComm::GetCommEvent() const
{
    return m_nCommEvent;
}

QString CMSComm::LastEventText() const
{
    return m_strLastEventText;
}

void CMSComm::RaiseEvent(short nEvent, const QString& strText)
{
    m_nCommEvent = nEvent;
    m_strLastEventText = strText;
    Q_EMIT OnComm();
}
