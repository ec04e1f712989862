#include "serial/board_exchange.h"

#include "serial/comm_error.h"

#include <utility>

CBoardExchange::CBoardExchange(CSerialLink& link, const WatchPolicy& policy, CResendWatch::Composer compose,
                               QObject* pParent)
    : QObject(pParent)
    , m_watch(OnArrival(policy), {m_nRetry, m_bDone, m_bRetrying}, std::move(compose), link)
{
    m_timerDeadline.setSingleShot(true);
    connect(&m_timerDeadline, &QTimer::timeout, this, [this] {
        m_bTimedOut = true;
        m_watch.Conclude(WatchResult::GaveUp);
    });
    connect(&m_watch, &CResendWatch::FrameWritten, this, [this](const QString& strFrame, int nRetry) {
        ++m_nFramesSent;
        m_strLastFrame = strFrame;
        Q_EMIT frameWritten(strFrame, nRetry);
    });
    // A failed send is told with its kind, by SendFailed or by what Send throws.
    connect(&m_watch, &CResendWatch::Concluded, this, [this](WatchResult result) {
        if (result != WatchResult::SendFailed)
            Finish(result);
    });
    connect(&m_watch, &CResendWatch::SendFailed, this, [this](const QString& strWhy, bool bPortFault) {
        m_strError = strWhy;
        m_bPortFault = bPortFault;
        Finish(WatchResult::SendFailed);
    });
}

void CBoardExchange::SetTimeout(int nMsecs)
{
    m_timerDeadline.setInterval(nMsecs);
}

void CBoardExchange::Send()
{
    if (m_timerDeadline.interval() > 0)
        m_timerDeadline.start();
    try {
        m_watch.Send();
    } catch (const CommError& error) {
        m_strError = QString::fromStdString(error.what());
        m_bPortFault = true;
        Finish(WatchResult::SendFailed);
    } catch (const std::exception& error) {
        m_strError = QString::fromStdString(error.what());
        Finish(WatchResult::SendFailed);
    }
}

void CBoardExchange::Stop()
{
    m_watch.Stop();
}

bool CBoardExchange::IsFinished() const
{
    return m_bFinished;
}

WatchResult CBoardExchange::Result() const
{
    return m_result;
}

QString CBoardExchange::ErrorText() const
{
    return m_strError;
}

bool CBoardExchange::IsPortFault() const
{
    return m_bPortFault;
}

bool CBoardExchange::TimedOut() const
{
    return m_bTimedOut;
}

int CBoardExchange::FramesSent() const
{
    return m_nFramesSent;
}

QString CBoardExchange::LastFrame() const
{
    return m_strLastFrame;
}

QByteArray CBoardExchange::LastReply() const
{
    return m_watch.LastReply();
}

void CBoardExchange::Finish(WatchResult result)
{
    if (m_bFinished)
        return;
    m_bFinished = true;
    m_result = result;
    m_timerDeadline.stop();
    // Ended by the deadline or a failed send, the watch must tick no more.
    m_watch.Stop();
    Q_EMIT finished(result);
}
