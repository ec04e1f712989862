#include "board/adapter_hold.h"

#include <cerrno>
#include <unistd.h>

namespace {

constexpr qint64 kNsPerMs = 1000000;
// The chip's receive buffer. When the host stops reading it fills, and the
// board's UART waits, so that output to a line nobody reads stays bounded.
constexpr qsizetype kBufferBytes = 256;
// A full pseudo-terminal drains as the client reads; try again soon.
constexpr qint64 kRetryNs = 5 * kNsPerMs;

} // namespace

CAdapterHold::CAdapterHold()
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { Deliver(); });
    m_clock.start();
}

void CAdapterHold::SetFd(int nFd)
{
    m_nFd = nFd;
    if (nFd < 0) {
        m_held.clear();
        m_arrivals.clear();
        m_timer.stop();
    }
}

void CAdapterHold::SetLatency(int nMsecs)
{
    m_nLatencyNs = qMax(0, nMsecs) * kNsPerMs;
    Deliver();
}

bool CAdapterHold::IsOn() const
{
    return m_nLatencyNs > 0;
}

qsizetype CAdapterHold::Take(const QByteArray& bytes)
{
    const qsizetype nTaken = qMin(bytes.size(), kBufferBytes - m_held.size());
    if (m_nFd < 0 || nTaken <= 0)
        return 0;
    m_held.append(bytes.constData(), nTaken);
    m_arrivals.append({nTaken, m_clock.nsecsElapsed()});
    Deliver();
    return nTaken;
}

void CAdapterHold::Deliver()
{
    m_timer.stop();
    while (m_nFd >= 0 && !m_held.isEmpty() && (m_held.size() >= kPacketPayload || IsDue())) {
        const qsizetype nPacket = qMin(m_held.size(), kPacketPayload);
        const ssize_t nWritten = ::write(m_nFd, m_held.constData(), static_cast<size_t>(nPacket));
        if (nWritten < 0 && errno != EAGAIN && errno != EINTR) {
            m_held.clear();
            m_arrivals.clear();
            return;
        }
        if (nWritten > 0)
            Forget(nWritten);
        if (nWritten < nPacket) {
            WakeIn(kRetryNs);
            return;
        }
    }
    if (!m_held.isEmpty())
        WakeIn(m_arrivals.first().nAtNs + m_nLatencyNs - m_clock.nsecsElapsed());
}

bool CAdapterHold::IsDue() const
{
    return m_clock.nsecsElapsed() - m_arrivals.first().nAtNs >= m_nLatencyNs;
}

void CAdapterHold::Forget(qsizetype nBytes)
{
    m_held.remove(0, nBytes);
    while (nBytes > 0) {
        Arrival& oldest = m_arrivals.first();
        const qsizetype nGone = qMin(nBytes, oldest.nBytes);
        oldest.nBytes -= nGone;
        nBytes -= nGone;
        if (oldest.nBytes == 0)
            m_arrivals.removeFirst();
    }
}

void CAdapterHold::WakeIn(qint64 nNsecs)
{
    // Rounded up: a wake before the latency has run out would only sleep again.
    m_timer.start(static_cast<int>((qMax<qint64>(nNsecs, 0) + kNsPerMs - 1) / kNsPerMs));
}
