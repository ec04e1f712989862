#include "serial/resend_watch.h"

#include "protocol/reply_text.h"
#include "serial/comm_error.h"
#include "serial/serial_link.h"

#include <utility>

CResendWatch::CResendWatch(const WatchPolicy& policy, WatchCounters counters, Composer compose, CSerialLink& link,
                           QString* pSharedReply)
    : m_policy(policy)
    , m_counters(counters)
    , m_compose(std::move(compose))
    , m_link(link)
    , m_strReply(pSharedReply ? *pSharedReply : m_strOwnReply)
{
    m_timer.setInterval(m_policy.nPeriodMsecs);
    // A coarse timer may tick 5% late, past the period the watch keeps.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CResendWatch::OnTick);
    connect(&m_link, &CSerialLink::replyReceived, this, &CResendWatch::OnReply);
}

CResendWatch::~CResendWatch()
{
    // Its owner is going too: the verdict goes to the log alone.
    disconnect();
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
    EndLastWait();
    m_timer.stop();
    Conclude(WatchResult::Stopped);
}

void CResendWatch::ShutDown()
{
    Stop();
    m_counters.nRetry = 0;
}

void CResendWatch::StopOnEachTick(CResendWatch* pOther)
{
    m_pStopsOnTick = pOther;
}

bool CResendWatch::IsRunning() const
{
    return m_timer.isActive();
}

QByteArray CResendWatch::LastReply() const
{
    return m_lastReply;
}

void CResendWatch::Conclude(WatchResult result, const QString& strError)
{
    if (!m_bExchangeOpen)
        return;
    m_bExchangeOpen = false;
    if (CTrafficLog* pLog = m_link.TrafficLog())
        pLog->Verdict(m_strFrame, m_nFrameRetry, result, strError);
    Q_EMIT Concluded(result, strError);
}

WatchResult CResendWatch::UnacknowledgedResult() const
{
    return m_bLastAnswerRefused ? WatchResult::Refused : WatchResult::GaveUp;
}

int CResendWatch::LastWaitMsecs() const
{
    if (!m_policy.bResendsOnSilence && m_policy.nSilenceMsecs > 0)
        return m_policy.nSilenceMsecs;
    return m_policy.nPeriodMsecs;
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
    m_link.SendFrame(m_strFrame);
    m_nRepliesSinceFrame = 0;
    m_sinceFrame.start();
    // A waiting watch knows a reply to this frame from an empty text filled.
    if (!m_policy.bResendsOnSilence || m_policy.bJudgesOnArrival)
        m_strReply.clear();
    m_counters.bDone = false;
    Q_EMIT FrameWritten(m_strFrame, nRetry);
}

void CResendWatch::OnReply(const QByteArray& bytes)
{
    ++m_nRepliesSinceFrame;
    m_lastReply = bytes;
    if (!m_policy.bJudgesOnArrival)
        return;
    m_strOwnReply = ReplyText(bytes);
    if (!StartsWithAcknowledgement(bytes))
        return;
    if (m_bAwaitingLastAnswer) {
        EndLastWait();
        Conclude(WatchResult::Ack);
        Q_EMIT Acknowledged();
    } else if (m_bExchangeOpen && !m_counters.bDone) {
        Acknowledge();
    }
}

void CResendWatch::OnTick()
{
    if (m_bAwaitingLastAnswer) {
        EndLastWait();
        Conclude(m_nRepliesSinceFrame > 0 ? WatchResult::Refused : WatchResult::GaveUp);
        return;
    }
    if (m_pStopsOnTick)
        m_pStopsOnTick->Stop();
    if (!m_policy.bResendsOnSilence && m_strReply.isEmpty()) {
        m_bLastAnswerRefused = false;
        if (SilenceRanOut() && Resend())
            GiveUpWhenSpent();
        return;
    }
    // A waiting watch emptied the text with its frame, so a text there came
    // after it.
    const bool bAnswered = !m_policy.bResendsOnSilence || m_nRepliesSinceFrame > 0;
    if (!m_counters.bDone) {
        if (bAnswered && IsAcknowledgement(m_strReply)) {
            Acknowledge();
        } else {
            m_bLastAnswerRefused = bAnswered;
            if (!Resend())
                return;
        }
    }
    GiveUpWhenSpent();
    Q_EMIT Ticked();
}

void CResendWatch::Acknowledge()
{
    m_counters.nRetry = 0;
    m_counters.bRetrying = false;
    m_counters.bDone = true;
    if (m_policy.bStopsWhenAcknowledged || m_policy.bJudgesOnArrival)
        m_timer.stop();
    Conclude(WatchResult::Ack);
    Q_EMIT Acknowledged();
}

bool CResendWatch::SilenceRanOut() const
{
    return m_policy.nSilenceMsecs > 0 && !m_counters.bDone && m_sinceFrame.hasExpired(m_policy.nSilenceMsecs);
}

void CResendWatch::GiveUpWhenSpent()
{
    if (m_counters.nRetry < m_policy.nMostResends)
        return;
    End();
    if (m_policy.bJudgesOnArrival) {
        m_bAwaitingLastAnswer = true;
        m_timer.start(LastWaitMsecs());
    } else {
        Conclude(UnacknowledgedResult());
    }
}

void CResendWatch::EndLastWait()
{
    if (!m_bAwaitingLastAnswer)
        return;
    m_bAwaitingLastAnswer = false;
    m_timer.stop();
    m_timer.setInterval(m_policy.nPeriodMsecs);
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
