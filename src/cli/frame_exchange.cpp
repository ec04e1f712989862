#include "cli/frame_exchange.h"

#include "cli/run_output.h"
#include "protocol/frame.h"
#include "protocol/reply_text.h"
#include "protocol/send_frame.h"
#include "serial/comm_error.h"
#include "serial/ms_comm.h"

#include <utility>

CFrameExchange::CFrameExchange(CommandPlan plan, int nTimeoutMsecs, CRunOutput& output)
    : m_plan(std::move(plan))
    , m_nTimeoutMsecs(nTimeoutMsecs)
    , m_output(output)
{
    m_timerWatch.setInterval(m_plan.rules.nPeriodMsecs);
    m_timerDeadline.setSingleShot(true);
    connect(&m_timerWatch, &QTimer::timeout, this, [this] { Guarded([this] { OnTick(); }); });
    connect(&m_timerDeadline, &QTimer::timeout, this, [this] {
        Finish(ExitCode::NoAcknowledgement,
               NoAcknowledgementText(QStringLiteral("no acknowledgement within %1 ms").arg(m_nTimeoutMsecs)));
    });
    connect(&g_msComm, &CMSComm::OnComm, this, [this] { Guarded([this] { OnComm(); }); });
}

void CFrameExchange::Start()
{
    m_timerDeadline.start(m_nTimeoutMsecs);
    Guarded([this] {
        Send();
        m_timerWatch.start();
    });
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
    const QByteArray bytes = g_msComm.GetInput();
    m_output.Reply(bytes, std::nullopt);
    m_strLastReply = ReplyText(bytes);
    m_bReplySinceFrame = true;
    // The acknowledgement names no frame: any one answers the latest.
    if (IsAcknowledgement(m_strLastReply))
        Finish(ExitCode::Success, QString());
}

void CFrameExchange::OnTick()
{
    if (m_bFinished || (m_plan.rules.bWaitsForReply && !m_bReplySinceFrame))
        return;
    // The last frame got its own tick, so an answer to it still counts.
    if (m_nResends >= m_plan.rules.nResendLimit) {
        Finish(ExitCode::NoAcknowledgement,
               NoAcknowledgementText(QStringLiteral("%1 resends unanswered").arg(m_nResends)));
        return;
    }
    ++m_nResends;
    if (m_plan.rules.bCountRises)
        ++m_nRetry;
    Send();
}

void CFrameExchange::Send()
{
    QString strFrame = m_plan.compose(m_nRetry);
    SendFrame(strFrame);
    m_output.FrameSent(m_nRetry, strFrame);
    m_bReplySinceFrame = false;
}

void CFrameExchange::Finish(ExitCode code, const QString& strMessage)
{
    if (m_bFinished)
        return;
    m_bFinished = true;
    m_timerWatch.stop();
    m_timerDeadline.stop();
    Q_EMIT Finished(code, strMessage);
}

void CFrameExchange::Guarded(const std::function<void()>& step)
{
    try {
        step();
    } catch (const CommError& error) {
        Finish(ExitCode::PortFailure, QString::fromStdString(error.what()));
    } catch (const FrameFieldError& error) {
        Finish(ExitCode::BadInput, QString::fromStdString(error.what()));
    }
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
