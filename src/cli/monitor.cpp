#include "cli/monitor.h"

#include "cli/run_output.h"
#include "protocol/reported_word.h"
#include "serial/serial_link.h"

CMonitor::CMonitor(CSerialLink& link, CRunOutput& output)
    : m_output(output)
{
    m_timerDuration.setSingleShot(true);
    connect(&m_timerDuration, &QTimer::timeout, this, [this] { Finish(ExitCode::Success, QString()); });
    connect(&link, &CSerialLink::replyReceived, this, [this](const QByteArray& bytes) {
        if (!m_bFinished)
            m_output.Reply(bytes, ReportedFrequency(bytes));
    });
    connect(&link, &CSerialLink::portFailed, this,
            [this](const QString& strWhy) { Finish(ExitCode::PortFailure, strWhy); });
    connect(&m_interruptWatch, &CInterruptWatch::Interrupted, this,
            [this] { Finish(ExitCode::Success, QString()); });
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
