#include "serial/resend_watch.h"

#include "protocol/reply_text.h"
#include "serial/comm_error.h"
#include "serial/reply_state.h"

#include <utility>

CResendWatch::CResendWatch(const WatchPolicy& policy, WatchCounters counters, Composer compose, Writer write)
    : m_policy(policy)
    , m_counters(counters)
    , m_compose(std::move(compose))
    , m_write(std::move(write))
{
    m_timer.setInterval(m_policy.nPeriodMsecs);
    // A coarse timer may tick 5% late, past the period the watch keeps.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CResendWatch::OnTick);
}

CResendWatch::~CResendWatch()
{
    Conclude(WatchResult::Stopped);
}

void CResendWatch::Send()
{
    try {
        Write();
    } catch (const std::exception& error) {
        ConcludeFailure(error);
        throw;
    }
    if (!m_counters.bRetrying)
        m_timer.start();
}

void CResendWatch::Stop()
{
    m_timer.stop();
    Conclude(WatchResult::Stopped);
}

void CResendWatch::ShutDown()
{
    m_timer.stop();
    m_counters.nRetry = 0;
    Conclude(WatchResult::Stopped);
}

void CResendWatch::StopOnEachTick(CResendWatch* pOther)
{
    m_pStopsOnTick = pOther;
}

bool CResendWatch::IsRunning() const
{
    return m_timer.isActive();
}

void CResendWatch::AwaitLastAnswer()
{
    m_bAwaitsLastAnswer = true;
}

void CResendWatch::Conclude(WatchResult result, const QString& strError)
{
    if (!m_bExchangeOpen)
        return;
    m_bExchangeOpen = false;
    g_trafficLog.Verdict(m_strFrame, m_nFrameRetry, result, strError);
}

void CResendWatch::ConcludeUnanswered()
{
    Conclude(g_nReceiveEvents != m_nRepliesBeforeFrame ? WatchResult::Refused : WatchResult::GaveUp);
}

WatchResult CResendWatch::UnacknowledgedResult() const
{
    return m_bLastAnswerRefused ? WatchResult::Refused : WatchResult::GaveUp;
}

void CResendWatch::Write()
{
    const int nRetry = m_policy.bFramesCarryCount ? m_counters.nRetry : 0;
    if (!m_bExchangeOpen) {
        m_bExchangeOpen = true;
        m_bLastAnswerRefused = false;
    }
    m_nFrameRetry = nRetry;
    // A composer that throws leaves no frame for the verdict to name.
    m_strFrame.clear();
    m_strFrame = m_compose(nRetry);
    m_write(m_strFrame);
    m_nRepliesBeforeFrame = g_nReceiveEvents;
    m_sinceFrame.start();
    // A waiting watch knows a reply to this frame from an empty text filled.
    if (!m_policy.bResendsOnSilence)
        g_strReply.clear();
    m_counters.bDone = false;
    Q_EMIT FrameWritten(m_strFrame, nRetry);
}

void CResendWatch::OnTick()
{
    if (m_pStopsOnTick)
        m_pStopsOnTick->Stop();
    if (!m_policy.bResendsOnSilence && g_strReply.isEmpty()) {
        m_bLastAnswerRefused = false;
        if (SilenceRanOut() && Resend())
            GiveUpWhenSpent();
        return;
    }
    // The board names no frame in its answer: only a reply that came after
    // this frame went out can answer it. A waiting watch emptied the text
    // with its frame, so a text there came after it.
    const bool bAnswered = !m_policy.bResendsOnSilence || g_nReceiveEvents != m_nRepliesBeforeFrame;
    if (!m_counters.bDone) {
        if (bAnswered && IsAcknowledgement(g_strReply)) {
            m_counters.nRetry = 0;
            m_counters.bRetrying = false;
            m_counters.bDone = true;
            if (m_policy.bStopsWhenAcknowledged)
                m_timer.stop();
            Conclude(WatchResult::Ack);
            Q_EMIT Acknowledged();
        } else {
            m_bLastAnswerRefused = bAnswered;
            if (!Resend())
                return;
        }
    }
    GiveUpWhenSpent();
    Q_EMIT Ticked();
}

bool CResendWatch::SilenceRanOut() const
{
    return m_policy.nSilenceMsecs > 0 && !m_counters.bDone && m_sinceFrame.hasExpired(m_policy.nSilenceMsecs);
}

void CResendWatch::GiveUpWhenSpent()
{
    if (m_counters.nRetry >= m_policy.nMostResends) {
        End();
        if (!m_bAwaitsLastAnswer)
            Conclude(UnacknowledgedResult());
        Q_EMIT GaveUp();
    }
}

bool CResendWatch::Resend()
{
    ++m_counters.nRetry;
    m_counters.bRetrying = true;
    try {
        Write();
        return true;
    } catch (const CommError& error) {
        // A port that refuses one resend refuses the next: the watch ends
        // rather than fail on every tick.
        End();
        ConcludeFailure(error);
        Q_EMIT SendFailed(QString::fromStdString(error.what()), true);
    } catch (const std::exception& error) {
        End();
        ConcludeFailure(error);
        Q_EMIT SendFailed(QString::fromStdString(error.what()), false);
    }
    return false;
}

void CResendWatch::ConcludeFailure(const std::exception& error)
{
    Conclude(WatchResult::SendFailed, QString::fromStdString(error.what()));
}

void CResendWatch::End()
{
    m_timer.stop();
    m_counters.bDone = true;
    m_counters.bRetrying = false;
    m_counters.nRetry = 0;
}
