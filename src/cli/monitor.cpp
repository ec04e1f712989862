#include "cli/monitor.h"

#include "cli/run_output.h"
#include "protocol/reported_word.h"
#include "serial/comm_error.h"
#include "serial/ms_comm.h"
#include "serial/reply_state.h"

namespace {

// More than one event can bring: the input buffer holds 1024.
constexpr qsizetype kMostReplyBytes = 2048;

} // namespace

CMonitor::CMonitor(CRunOutput& output)
    : m_output(output)
{
    m_timerDuration.setSingleShot(true);
    connect(&m_timerDuration, &QTimer::timeout, this, [this] { Finish(ExitCode::Success, QString()); });
    connect(&g_msComm, &CMSComm::OnComm, this, [this] {
        try {
            OnComm();
        } catch (const CommError& error) {
            Finish(ExitCode::PortFailure, QString::fromStdString(error.what()));
        }
    });
    connect(&m_interruptWatch, &CInterruptWatch::Interrupted, this,
            [this] { Finish(ExitCode::Success, QString()); });
}

void CMonitor::Start(std::optional<int> durationMsecs)
{
    if (durationMsecs)
        m_timerDuration.start(*durationMsecs);
}

void CMonitor::OnComm()
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
    const QByteArray bytes = TakeReceivedReply(kMostReplyBytes);
    m_output.Reply(bytes, ReportedFrequency(bytes));
}

void CMonitor::Finish(ExitCode code, const QString& strMessage)
{
    if (m_bFinished)
        return;
    m_bFinished = true;
    m_timerDuration.stop();
    Q_EMIT Finished(code, strMessage);
}
