#include "serial/reply_grouping.h"

#include "protocol/reply_text.h"
#include "protocol/reported_word.h"
#include "serial/link_port.h"
#include "serial/watch_policies.h"

#include <algorithm>
#include <cmath>

CReplyGrouping::CReplyGrouping(CLinkPort& port)
    : m_pPort(&port)
{
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setTimerType(Qt::PreciseTimer);
    m_drainTimer.setTimerType(Qt::PreciseTimer);
    connect(m_pPort, &CLinkPort::ReadyRead, this, &CReplyGrouping::OnReadyRead);
    connect(&m_idleTimer, &QTimer::timeout, this, &CReplyGrouping::OnIdle);
    connect(&m_drainTimer, &QTimer::timeout, this, &CReplyGrouping::OnDrainTick);
}

void CReplyGrouping::SetPort(CLinkPort& port)
{
    if (&port == m_pPort)
        return;
    Stop();
    disconnect(m_pPort, nullptr, this, nullptr);
    m_pPort = &port;
    connect(m_pPort, &CLinkPort::ReadyRead, this, &CReplyGrouping::OnReadyRead);
}

void CReplyGrouping::SetLine(const LineSettings& settings)
{
    m_settings = settings;
}

void CReplyGrouping::SetAdapterLatency(int nMsecs)
{
    m_nAdapterLatencyMsecs = nMsecs;
}

void CReplyGrouping::SetThreshold(int nBytes)
{
    m_nThreshold = nBytes;
}

void CReplyGrouping::SetBufferBytes(int nBytes)
{
    m_nBufferBytes = nBytes;
}

void CReplyGrouping::AfterRead()
{
    m_bAnswerAwaited = false;
    m_bStreamRemainder = false;
    // While streaming, the next drain takes the rest.
    if (m_nThreshold > 0 && !m_bStreaming && m_pPort->BytesAvailable() > 0)
        m_idleTimer.start(IdleGapMsecs());
}

void CReplyGrouping::FrameWritten()
{
    m_bAnswerAwaited = true;
}

void CReplyGrouping::SetAnswersAtOnce(bool bAtOnce)
{
    m_bAnswersAtOnce = bAtOnce;
}

qint64 CReplyGrouping::GroupBytes() const
{
    const qint64 nAvailable = m_pPort->BytesAvailable();
    // After a gap the group ends a message. On a busy line, a stream or a
    // late timer's, it ends on a whole report instead: every group then
    // begins on a message, and the first after a frame may begin with its
    // acknowledgement.
    if (!m_bStreaming && !m_pPort->HasPendingSystemBytes())
        return nAvailable;
    return WholeReportBytes(nAvailable,
                            m_bAnswerAwaited && StartsWithAcknowledgement(m_pPort->Peek(kAcknowledgementBytes)));
}

void CReplyGrouping::Stop()
{
    m_idleTimer.stop();
    EndStreaming();
}

int CReplyGrouping::IdleGapMsecs() const
{
    return m_nAdapterLatencyMsecs > 0 ? std::max(LineGapMsecs(), m_nAdapterLatencyMsecs + 2) : LineGapMsecs();
}

int CReplyGrouping::LineGapMsecs() const
{
    const double dMsecs = 3.5 * m_settings.BitsPerCharacter() * 1000.0 / m_settings.nBaudRate;
    return std::max(2, static_cast<int>(std::ceil(dMsecs)));
}

// Bytes held for as long as a reply many times longer than the board's would
// take: the line is streaming, and waiting for the gap would hold the newest
// bytes back without end.
int CReplyGrouping::LongestWaitMsecs() const
{
    return 4 * IdleGapMsecs();
}

// While streaming, what arrives is taken in at the pace of the line, not of
// the adapter: it hands bytes over at least as often as its latency.
int CReplyGrouping::DrainMsecs() const
{
    return 4 * LineGapMsecs();
}

bool CReplyGrouping::HasGroup() const
{
    return m_pPort->IsOpen() && GroupBytes() >= std::max(1, m_nThreshold);
}

void CReplyGrouping::OnReadyRead()
{
    if (m_nThreshold <= 0)
        return;
    const bool bFull = m_pPort->BytesAvailable() >= m_nBufferBytes;
    if (m_bStreaming) {
        m_bArrivedSinceDrain = true;
        if (bFull)
            Q_EMIT GroupReady();
        return;
    }
    if (!m_idleTimer.isActive())
        m_pendingSince.start();
    // One byte more than an answer, so that an answer with more behind it waits for the gap.
    if (bFull || (m_bAnswersAtOnce && m_bAnswerAwaited && IsWholeAnswer(m_pPort->Peek(kAcknowledgementBytes + 1)))) {
        m_idleTimer.stop();
        OnIdle();
        return;
    }
    if (m_bStreamRemainder || m_pendingSince.elapsed() >= LongestWaitMsecs()) {
        m_idleTimer.stop();
        BeginStreaming();
        OnIdle();
        return;
    }
    m_idleTimer.start(IdleGapMsecs());
}

void CReplyGrouping::OnIdle()
{
    if (!m_pPort->IsOpen())
        return;
    // A late timer must not split a reply whose next byte is already here.
    if (m_pPort->BytesAvailable() < m_nBufferBytes && m_pendingSince.elapsed() < LongestWaitMsecs()
        && m_pPort->HasPendingSystemBytes()) {
        m_idleTimer.start(IdleGapMsecs());
        return;
    }
    // Nor a late adapter tick an answer: its first byte waits for the second,
    // up to the longest watch period, before it counts.
    if (IsFirstAnswerByte(m_pPort->Peek(kAcknowledgementBytes))
        && m_pendingSince.elapsed() < kPointWatchPolicy.nPeriodMsecs) {
        m_idleTimer.start(IdleGapMsecs());
        return;
    }
    if (HasGroup())
        Q_EMIT GroupReady();
}

void CReplyGrouping::BeginStreaming()
{
    if (!m_pPort->SetReadWakeupBytes(kMostReadWakeupBytes))
        return;
    m_bStreaming = true;
    m_bArrivedSinceDrain = false;
    m_drainTimer.start(DrainMsecs());
}

void CReplyGrouping::EndStreaming()
{
    if (!m_bStreaming)
        return;
    m_bStreaming = false;
    m_drainTimer.stop();
    if (m_pPort->IsOpen())
        m_pPort->SetReadWakeupBytes(0);
}

void CReplyGrouping::OnDrainTick()
{
    if (!m_pPort->IsOpen()) {
        EndStreaming();
        return;
    }
    if (m_pPort->HasPendingSystemBytes()) {
        // The port object takes in only what the system reports readable.
        m_pPort->SetReadWakeupBytes(0);
        m_pPort->TakeInPending();
        if (m_pPort->IsOpen())
            m_pPort->SetReadWakeupBytes(kMostReadWakeupBytes);
    } else if (!m_bArrivedSinceDrain) {
        if (HasGroup())
            Q_EMIT GroupReady();
        // Quiet for a whole drain period: back to waking at the first byte.
        EndStreaming();
        // Left over, the first bytes of a report: the rest continues the
        // stream, or a gap ends it.
        if (m_pPort->IsOpen() && m_pPort->BytesAvailable() > 0) {
            m_bStreamRemainder = true;
            m_pendingSince.start();
            m_idleTimer.start(IdleGapMsecs());
        }
        return;
    }
    m_bArrivedSinceDrain = false;
    if (HasGroup())
        Q_EMIT GroupReady();
}
