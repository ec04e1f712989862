#include "cli/monitor.h"

#include "cli/run_output.h"
#include "encoding/words.h"
#include "protocol/reply_text.h"
#include "serial/comm_error.h"
#include "serial/ms_comm.h"

namespace {

constexpr int kMaxReportBytes = 4;

// A report is one tuning word, first byte most significant; the
// acknowledgement is not one, though it would decode to about 0.005 MHz.
std::optional<float> ReportedFrequency(const QByteArray& bytes)
{
    if (bytes.isEmpty() || bytes.size() > kMaxReportBytes || IsAcknowledgement(ReplyText(bytes)))
        return std::nullopt;
    quint32 dwWord = 0;
    for (const char byte : bytes)
        dwWord = (dwWord << 8) | static_cast<quint8>(byte);
    return TuningWordToFrequency(dwWord);
}

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
    const QByteArray bytes = g_msComm.GetInput();
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
