#include "scpi/sweep_tracker.h"

CSweepTracker::CSweepTracker()
{
    m_timerEnd.setSingleShot(true);
    m_timerEnd.setTimerType(Qt::PreciseTimer);
    connect(&m_timerEnd, &QTimer::timeout, this, [this] { Stop(Phase::Idle); });
}

// The sweep it replaces is done once the new one is in place, so that a
// client waiting for the old one goes on to find the new one running.
void CSweepTracker::Started(const SweepPlan& plan)
{
    const bool bWasRunning = IsSingleSweepRunning();
    m_timerEnd.stop();
    m_plan = plan;
    m_phase = Phase::Sweeping;
    ++m_nStarts;
    if (!plan.bCircular && !plan.bStepped)
        m_timerEnd.start(static_cast<int>(qMin<qint64>(plan.nDurationMsecs, std::numeric_limits<int>::max())));
    if (bWasRunning)
        SingleSweepDone();
}

void CSweepTracker::Paused()
{
    if (m_phase != Phase::Sweeping)
        return;
    m_nRemainingMsecs = m_timerEnd.isActive() ? qMax(0, m_timerEnd.remainingTime()) : 0;
    Stop(Phase::Paused);
}

void CSweepTracker::Continued()
{
    if (m_phase != Phase::Paused)
        return;
    m_phase = Phase::Sweeping;
    ++m_nStarts;
    if (!m_plan.bCircular && !m_plan.bStepped)
        m_timerEnd.start(m_nRemainingMsecs);
}

void CSweepTracker::Ended()
{
    Stop(Phase::Idle);
}

void CSweepTracker::ReportReceived(quint32 dwWord)
{
    if (IsSingleSweepRunning() && !m_plan.bStepped && dwWord >= m_plan.dwStopWord)
        Stop(Phase::Idle);
}

bool CSweepTracker::IsSweeping() const
{
    return m_phase == Phase::Sweeping;
}

bool CSweepTracker::IsSingleSweepRunning() const
{
    return m_phase == Phase::Sweeping && !m_plan.bCircular;
}

bool CSweepTracker::IsStepped() const
{
    return m_phase != Phase::Idle && m_plan.bStepped;
}

int CSweepTracker::Starts() const
{
    return m_nStarts;
}

int CSweepTracker::SingleSweepsDone() const
{
    return m_nSingleSweepsDone;
}

void CSweepTracker::Stop(Phase phase)
{
    const bool bWasRunning = IsSingleSweepRunning();
    m_timerEnd.stop();
    if (m_phase != Phase::Idle)
        m_phase = phase;
    if (bWasRunning)
        SingleSweepDone();
}

void CSweepTracker::SingleSweepDone()
{
    ++m_nSingleSweepsDone;
    Q_EMIT singleSweepDone();
}
