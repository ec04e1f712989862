#include "cli/monitor.h"

#include "cli/run_output.h"
#include "protocol/limits.h"
#include "protocol/reported_word.h"
#include "serial/serial_link.h"

namespace {

// The frequency of a whole report within the board's range; none for
// anything else, such as half a report, which would read as a tiny one.
std::optional<float> Reading(const QByteArray& bytes)
{
    if (bytes.size() != kMostReportBytes)
        return std::nullopt;
    const std::optional<float> frequencyMHz = ReportedFrequency(bytes);
    if (!frequencyMHz || *frequencyMHz < kLowestFrequencyMHz || *frequencyMHz > kHighestFrequencyMHz)
        return std::nullopt;
    return frequencyMHz;
}

} // namespace

CMonitor::CMonitor(CSerialLink& link, CRunOutput& output)
    : m_output(output)
{
    m_timerDuration.setSingleShot(true);
    connect(&m_timerDuration, &QTimer::timeout, this, [this] { Finish(ExitCode::Success, QString()); });
    connect(&link, &CSerialLink::replyReceived, this, [this](const QByteArray& bytes) {
        if (!m_bFinished)
            Show(bytes);
    });
    connect(&link, &CSerialLink::portFailed, this,
            [this](const QString& strWhy) { Finish(ExitCode::PortFailure, strWhy); });
    connect(&m_interruptWatch, &CInterruptWatch::Interrupted, this,
            [this] { Finish(ExitCode::Success, QString()); });
}

// A busy line delivers several whole reports at once: each is shown.
void CMonitor::Show(const QByteArray& bytes)
{
    if (bytes.size() % kMostReportBytes != 0) {
        m_output.Received(bytes, std::nullopt);
        return;
    }
    for (qsizetype nAt = 0; nAt < bytes.size(); nAt += kMostReportBytes) {
        const QByteArray report = bytes.mid(nAt, kMostReportBytes);
        m_output.Received(report, Reading(report));
    }
}

void CMonitor::Start(std::optional<int> durationMsecs)
{
    if (durationMsecs)
        m_timerDuration.start(*durationMsecs);
}

void CMonitor::Finish(ExitCode code, const QString& strMessage)
{
    if (m_bFinished)
        return;
    m_bFinished = true;
    m_timerDuration.stop();
    Q_EMIT Finished(code, strMessage);
}
