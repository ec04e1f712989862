#include "cli/frame_exchange.h"

#include "protocol/frame.h"
#include "protocol/reply_text.h"
#include "serial/comm_error.h"
#include "serial/reply_state.h"
#include "serial/send_frame.h"

#include <utility>

namespace {

// The time the watch would have given the last frame's answer before
// resending: a waiting watch's silence limit, or one period.
int LastAnswerMsecs(const WatchPolicy& policy)
{
    if (!policy.bResendsOnSilence && policy.nSilenceMsecs > 0)
        return policy.nSilenceMsecs;
    return policy.nPeriodMsecs;
}

} // namespace

CFrameExchange::CFrameExchange(const WatchPolicy& policy, CResendWatch::Composer compose, int nTimeoutMsecs)
    : m_nTimeoutMsecs(nTimeoutMsecs)
    , m_watch(policy, {m_nRetry, m_bDone, m_bRetrying}, std::move(compose), SendFrame)
{
    m_watch.AwaitLastAnswer();
    m_timerDeadline.setSingleShot(true);
    m_timerLastAnswer.setSingleShot(true);
    m_timerLastAnswer.setInterval(LastAnswerMsecs(policy));
    connect(&m_timerDeadline, &QTimer::timeout, this, [this] {
        m_watch.Conclude(WatchResult::GaveUp);
        Finish(ExitCode::NoAcknowledgement,
               NoAcknowledgementText(QStringLiteral("no acknowledgement within %1 ms").arg(m_nTimeoutMsecs)));
    });
    connect(&m_timerLastAnswer, &QTimer::timeout, this, [this] {
        m_watch.ConcludeUnanswered();
        Finish(ExitCode::NoAcknowledgement,
               NoAcknowledgementText(QStringLiteral("%1 resends unanswered").arg(m_nFramesSent - 1)));
    });
    connect(&m_watch, &CResendWatch::FrameWritten, this, [this](const QString& strFrame, int nRetry) {
        ++m_nFramesSent;
        Q_EMIT FrameWritten(strFrame, nRetry);
    });
    connect(&m_watch, &CResendWatch::Acknowledged, this, [this] { Finish(ExitCode::Success, QString()); });
    connect(&m_watch, &CResendWatch::GaveUp, &m_timerLastAnswer, qOverload<>(&QTimer::start));
    connect(&m_watch, &CResendWatch::SendFailed, this, [this](const QString& strWhy, bool bPortFault) {
        Finish(bPortFault ? ExitCode::PortFailure : ExitCode::BadInput, strWhy);
    });
}

void CFrameExchange::Start()
{
    if (m_nTimeoutMsecs > 0)
        m_timerDeadline.start(m_nTimeoutMsecs);
    try {
        m_watch.Send();
    } catch (const CommError& error) {
        Finish(ExitCode::PortFailure, QString::fromStdString(error.what()));
    } catch (const FrameFieldError& error) {
        Finish(ExitCode::BadInput, QString::fromStdString(error.what()));
    }
}

void CFrameExchange::OnReply()
{
    if (m_bFinished)
        return;
    m_strLastReply = g_strReply;
    if (m_timerLastAnswer.isActive() && IsAcknowledgement(g_strReply)) {
        m_watch.Conclude(WatchResult::Ack);
        Finish(ExitCode::Success, QString());
    }
}

void CFrameExchange::OnPortFailure(const QString& strWhy)
{
    Finish(ExitCode::PortFailure, strWhy);
}

int CFrameExchange::FramesSent() const
{
    return m_nFramesSent;
}

void CFrameExchange::Finish(ExitCode code, const QString& strMessage)
{
    if (m_bFinished)
        return;
    m_bFinished = true;
    m_watch.Stop();
    m_timerDeadline.stop();
    m_timerLastAnswer.stop();
    Q_EMIT Finished(code, strMessage);
}

QString CFrameExchange::NoAcknowledgementText(const QString& strWhy) const
{
    const QString strLast = m_strLastReply.isEmpty() ? QStringLiteral("no reply at all")
                                                     : QStringLiteral("last reply %1").arg(m_strLastReply.trimmed());
    return QStringLiteral("The board did not acknowledge: %1 (frames sent: %2, %3).")
        .arg(strWhy)
        .arg(m_nFramesSent)
        .arg(strLast);
}
