#include "cli/frame_exchange.h"

#include "cli/run_output.h"
#include "protocol/frame.h"
#include "protocol/reply_text.h"
#include "serial/comm_error.h"
#include "serial/ms_comm.h"
#include "serial/reply_state.h"
#include "serial/send_frame.h"

#include <utility>

namespace {

// More than one event can bring: the input buffer holds 1024.
constexpr qsizetype kMostReplyBytes = 2048;

} // namespace

CFrameExchange::CFrameExchange(CommandPlan plan, int nTimeoutMsecs, CRunOutput& output)
    : m_plan(std::move(plan))
    , m_nTimeoutMsecs(nTimeoutMsecs)
    , m_output(output)
    , m_watch(m_plan.policy, {m_nRetry, m_bDone, m_bRetrying}, m_plan.compose, SendFrame)
{
    m_watch.AwaitLastAnswer();
    m_timerDeadline.setSingleShot(true);
    m_timerLastAnswer.setSingleShot(true);
    m_timerLastAnswer.setInterval(m_plan.policy.nPeriodMsecs);
    connect(&m_timerDeadline, &QTimer::timeout, this, [this] {
        m_watch.Conclude(WatchResult::GaveUp);
        Finish(ExitCode::NoAcknowledgement,
               NoAcknowledgementText(QStringLiteral("no acknowledgement within %1 ms").arg(m_nTimeoutMsecs)));
    });
    connect(&m_timerLastAnswer, &QTimer::timeout, this, [this] {
        m_watch.Conclude(g_nReceiveEvents != m_nRepliesBeforeLastAnswer ? WatchResult::Refused : WatchResult::GaveUp);
        Finish(ExitCode::NoAcknowledgement, NoAcknowledgementText(QStringLiteral("%1 resends unanswered").arg(m_output.FramesSent() - 1)));
    });
    connect(&m_watch, &CResendWatch::FrameWritten, this,
            [this](const QString& strFrame, int nRetry) { m_output.FrameSent(nRetry, strFrame); });
    connect(&m_watch, &CResendWatch::Acknowledged, this, [this] { Finish(ExitCode::Success, QString()); });
    connect(&m_watch, &CResendWatch::GaveUp, this, &CFrameExchange::OnGaveUp);
    connect(&m_watch, &CResendWatch::SendFailed, this, [this](const QString& strWhy, bool bPortFault) {
        Finish(bPortFault ? ExitCode::PortFailure : ExitCode::BadInput, strWhy);
    });
    connect(&g_msComm, &CMSComm::OnComm, this, [this] {
        try {
            OnComm();
        } catch (const CommError& error) {
            Finish(ExitCode::PortFailure, QString::fromStdString(error.what()));
        }
    });
}

void CFrameExchange::Start()
{
    m_timerDeadline.start(m_nTimeoutMsecs);
    try {
        m_watch.Send();
    } catch (const CommError& error) {
        Finish(ExitCode::PortFailure, QString::fromStdString(error.what()));
    } catch (const FrameFieldError& error) {
        Finish(ExitCode::BadInput, QString::fromStdString(error.what()));
    }
}

void CFrameExchange::OnComm()
{
    if (m_bFinished)
        return;
    const short nEvent = g_msComm.GetCommEvent();
    if (nEvent == CMSComm::kEventDisconnected || nEvent == CMSComm::kEventPortError) {
        Finish(ExitCode::PortFailure, g_msComm.LastEventText());
        return;
    }
    if (nEvent != CMSComm::kEventReceive)
        return;
    m_output.Reply(TakeReceivedReply(kMostReplyBytes), std::nullopt);
    m_strLastReply = g_strReply;
    if (m_timerLastAnswer.isActive() && IsAcknowledgement(g_strReply)) {
        m_watch.Conclude(WatchResult::Ack);
        Finish(ExitCode::Success, QString());
    }
}

void CFrameExchange::OnGaveUp()
{
    m_nRepliesBeforeLastAnswer = g_nReceiveEvents;
    m_timerLastAnswer.start();
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
        .arg(m_output.FramesSent())
        .arg(strLast);
}
