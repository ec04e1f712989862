#include "pages/ms_comm.h"

#include <utility>

CMSComm g_msComm;

CMSComm::CMSComm()
{
    connect(this, &CSerialLink::replyReceived, this, [this](const QByteArray& bytes) {
        m_input = bytes;
        RaiseEvent(kEventReceive, QString());
    });
    connect(this, &CSerialLink::portFailed, this, [this](const QString& strWhy) {
        RaiseEvent(GetPortOpen() ? kEventPortError : kEventDisconnected, strWhy);
    });
}

QByteArray CMSComm::GetInput()
{
    RequireOpen("read from");
    return std::exchange(m_input, {});
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
