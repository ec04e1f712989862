#include "stepping/stepping_run.h"

#include "encoding/words.h"
#include "protocol/frame_builders.h"
#include "protocol/reply_text.h"
#include "serial/board_exchange.h"
#include "serial/serial_link.h"
#include "serial/watch_policies.h"
#include "stepping/least_dwell.h"

#include <algorithm>
#include <cmath>
#include <utility>

CSteppingRun::CSteppingRun(CSerialLink& link, QObject* pParent)
    : QObject(pParent)
    , m_link(link)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CSteppingRun::SendDue);
    connect(&m_link, &CSerialLink::portFailed, this,
            [this](const QString& strWhy) { Finish(SteppingEnd::PortFailed, strWhy); });
    connect(&m_link, &CSerialLink::frameSent, this, &CSteppingRun::OnFrameSent);
}

CSteppingRun::~CSteppingRun() = default;

void CSteppingRun::SetPoints(const StepPoints& points)
{
    m_points = points;
}

StepPoints CSteppingRun::Points() const
{
    return m_points;
}

void CSteppingRun::SetRepeat(int nPasses)
{
    m_nRepeat = nPasses < 0 ? 1 : nPasses;
}

int CSteppingRun::Repeat() const
{
    return m_nRepeat;
}

bool CSteppingRun::Start()
{
    if (m_bRunning) {
        m_strError = QStringLiteral("A stepped sweep is already running.");
        return false;
    }
    const QString strWhy = CheckPoints(m_points, LeastDwellSeconds(m_link));
    if (!strWhy.isEmpty()) {
        m_strError = strWhy;
        return false;
    }
    m_running = m_points;
    m_nPasses = m_nRepeat;
    m_dueInPass.clear();
    double dMsecs = 0.0;
    for (const StepPoint& point : std::as_const(m_running)) {
        m_dueInPass.append(dMsecs);
        dMsecs += point.dDwellSeconds * 1000.0;
    }
    m_dPassMsecs = dMsecs;
    m_nSent = 0;
    m_nLate = 0;
    m_bNextLate = false;
    m_dPausedMsecs = 0.0;
    m_bPaused = false;
    m_bLastDwell = false;
    m_strError.clear();
    m_end = SteppingEnd::Completed;
    m_bRunning = true;
    m_clock.start();
    ScheduleNext();
    return true;
}

void CSteppingRun::Pause()
{
    if (!m_bRunning || m_bPaused)
        return;
    m_dPausedAt = m_clock.nsecsElapsed() / 1e6;
    m_bPaused = true;
    m_timer.stop();
    Q_EMIT pausedChanged(true);
}

void CSteppingRun::Continue()
{
    if (!m_bRunning || !m_bPaused)
        return;
    m_dPausedMsecs += m_clock.nsecsElapsed() / 1e6 - m_dPausedAt;
    m_bPaused = false;
    Q_EMIT pausedChanged(false);
    if (!m_pExchange)
        ScheduleNext();
}

void CSteppingRun::Abort()
{
    Finish(SteppingEnd::Aborted);
}

void CSteppingRun::SetLinkGate(std::function<bool()> isFree)
{
    m_isLinkFree = std::move(isFree);
}

void CSteppingRun::LinkFreed()
{
    if (std::exchange(m_bHeld, false) && m_bRunning && !m_bPaused)
        SendDue();
}

bool CSteppingRun::IsAwaitingBoard() const
{
    return m_pExchange;
}

bool CSteppingRun::IsRunning() const
{
    return m_bRunning;
}

bool CSteppingRun::IsPaused() const
{
    return m_bPaused;
}

double CSteppingRun::PlannedMsecs() const
{
    if (m_nRepeat == kEndless)
        return -1.0;
    return m_nRepeat * PassSeconds(m_points) * 1000.0;
}

int CSteppingRun::LateCount() const
{
    return m_nLate;
}

int CSteppingRun::PointsSent() const
{
    return static_cast<int>(m_nSent);
}

SteppingEnd CSteppingRun::End() const
{
    return m_end;
}

QString CSteppingRun::ErrorText() const
{
    return m_strError;
}

double CSteppingRun::Now() const
{
    const double dRaw = m_bPaused ? m_dPausedAt : m_clock.nsecsElapsed() / 1e6;
    return dRaw - m_dPausedMsecs;
}

double CSteppingRun::DueMsecs(qint64 nIndex) const
{
    const qint64 nCount = m_running.size();
    return double(nIndex / nCount) * m_dPassMsecs + m_dueInPass[nIndex % nCount];
}

bool CSteppingRun::AllSent() const
{
    return m_nPasses != kEndless && m_nSent >= qint64(m_nPasses) * m_running.size();
}

void CSteppingRun::ScheduleNext()
{
    if (!m_bRunning || m_bPaused)
        return;
    double dDue = 0.0;
    if (AllSent()) {
        m_bLastDwell = true;
        dDue = m_nPasses * m_dPassMsecs;
    } else {
        dDue = DueMsecs(m_nSent);
    }
    m_timer.start(std::max(0, static_cast<int>(std::ceil(dDue - Now()))));
}

void CSteppingRun::SendDue()
{
    if (m_bLastDwell) {
        Finish(SteppingEnd::Completed);
        return;
    }
    if (m_isLinkFree && !m_isLinkFree()) {
        m_bHeld = true;
        return;
    }
    const int nCount = static_cast<int>(m_running.size());
    const int nIndex = static_cast<int>(m_nSent % nCount);
    const StepPoint point = m_running[nIndex];
    m_current = StepRecord();
    m_current.nPass = static_cast<int>(m_nSent / nCount) + 1;
    m_current.nPoint = nIndex + 1;
    m_current.point = point;
    m_current.dDueMsecs = DueMsecs(m_nSent);
    m_current.dSentMsecs = Now();
    m_current.bLate = m_bNextLate;
    if (m_bNextLate)
        ++m_nLate;
    ++m_nSent;

    const float fFrequency = static_cast<float>(point.dFrequencyMHz);
    const float fAmplitude = static_cast<float>(point.dAmplitudeVolts);
    auto* pExchange = new CBoardExchange(m_link, kPointWatchPolicy, [this, fFrequency, fAmplitude](int nRetry) {
        // The link writes a frame right after it is composed.
        m_bOwnFrameDue = true;
        return PointFrame(nRetry, FrequencyToTuningWord(fFrequency),
                          AmplitudeToWord(fAmplitude, kSinglePointAmplitudeScale));
    }, this);
    m_pExchange = pExchange;
    connect(pExchange, &CBoardExchange::finished, this, &CSteppingRun::OnExchangeFinished);
    connect(pExchange, &CBoardExchange::frameWritten, this, &CSteppingRun::frameWritten);

    const double dLeft = m_nPasses == kEndless ? -1.0 : std::max(0.0, m_nPasses * m_dPassMsecs - Now());
    Q_EMIT progress(m_current.nPoint, nCount, point.dFrequencyMHz, dLeft);
    // The verdict may come before Send returns, when the port refuses.
    pExchange->Send();
}

void CSteppingRun::OnExchangeFinished(WatchResult result)
{
    CBoardExchange* pExchange = m_pExchange;
    if (!pExchange)
        return;
    m_current.dAnsweredMsecs = Now();
    m_current.nFrames = pExchange->FramesSent();
    m_current.strFrame = pExchange->LastFrame();
    m_current.result = result;
    const QString strError = pExchange->ErrorText();
    const bool bPortFault = pExchange->IsPortFault();
    const QByteArray lastReply = pExchange->LastReply();
    DropExchange();
    Q_EMIT pointDone(m_current);

    switch (result) {
    case WatchResult::Ack:
        m_bNextLate = !AllSent() && m_current.dAnsweredMsecs > DueMsecs(m_nSent);
        ScheduleNext();
        return;
    case WatchResult::SendFailed:
        if (bPortFault)
            Finish(SteppingEnd::PortFailed, strError);
        else
            Finish(SteppingEnd::NotAcknowledged, QStringLiteral("%1: %2").arg(PointName(m_current), strError));
        return;
    case WatchResult::Refused:
    case WatchResult::GaveUp:
    case WatchResult::Stopped:
        break;
    }
    const QString strReply = lastReply.isEmpty() ? QStringLiteral("no reply at all")
                                                 : QStringLiteral("last reply %1").arg(ReplyText(lastReply).trimmed());
    const QString strWhat = result == WatchResult::Refused ? QStringLiteral("the board refused it")
                                                           : QStringLiteral("the board never acknowledged it");
    Finish(SteppingEnd::NotAcknowledged, QStringLiteral("%1: %2 (frames sent: %3, %4).")
                                             .arg(PointName(m_current), strWhat)
                                             .arg(m_current.nFrames)
                                             .arg(strReply));
}

void CSteppingRun::OnFrameSent()
{
    if (!std::exchange(m_bOwnFrameDue, false) && m_bRunning)
        Q_EMIT otherFrameSent();
}

QString CSteppingRun::PointName(const StepRecord& record) const
{
    const QString strPass = m_nPasses == 1 ? QString() : QStringLiteral(", pass %1").arg(record.nPass);
    return QStringLiteral("Point %1 of %2%3, %4 MHz")
        .arg(record.nPoint)
        .arg(m_running.size())
        .arg(strPass, QString::number(record.point.dFrequencyMHz, 'g', 10));
}

void CSteppingRun::DropExchange()
{
    if (!m_pExchange)
        return;
    CBoardExchange* pExchange = m_pExchange;
    m_pExchange = nullptr;
    pExchange->disconnect(this);
    if (!pExchange->IsFinished())
        pExchange->Stop();
    // It may be the sender of the signal being handled.
    pExchange->deleteLater();
}

void CSteppingRun::Finish(SteppingEnd end, const QString& strError)
{
    if (!m_bRunning)
        return;
    m_bRunning = false;
    m_bPaused = false;
    m_bLastDwell = false;
    m_bHeld = false;
    m_bOwnFrameDue = false;
    m_timer.stop();
    DropExchange();
    m_end = end;
    m_strError = strError;
    Q_EMIT finished(end);
}
