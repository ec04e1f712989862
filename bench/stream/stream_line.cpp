#include "stream/stream_line.h"

#include "support/clock.h"

#include <QEventLoop>
#include <QTimer>

#include <cerrno>
#include <poll.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr qint64 kNsPerMs = 1000000;
// Ten bits a byte at 9600 baud.
constexpr qint64 kLineNsPerByte = 10 * 1000000000LL / 9600;
// A full line drains as the window reads; try again soon.
constexpr int kRetryMs = 5;

void SleepUntil(qint64 nNs)
{
    const timespec until{static_cast<time_t>(nNs / 1000000000), static_cast<long>(nNs % 1000000000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

bool HasInput(int nFd, int nTimeoutMs)
{
    pollfd in{nFd, POLLIN, 0};
    return ::poll(&in, 1, nTimeoutMs) > 0;
}

} // namespace

CStreamLine::CStreamLine(int nFd, int nAdapterLatencyMs)
    : m_nFd(nFd)
    , m_nLatencyMs(qMax(0, nAdapterLatencyMs))
{
    if (m_nLatencyMs == 0)
        return;
    m_adapter.SetLine(FdLineWrite(nFd));
    m_adapter.SetByteTime(kLineNsPerByte);
    m_adapter.SetLatency(m_nLatencyMs);
}

bool CStreamLine::Answer(const QByteArray& bytes)
{
    if (m_adapter.IsOn())
        return m_adapter.Take(bytes) == bytes.size();
    return ::write(m_nFd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
}

int CStreamLine::WriteReport(const QByteArray& bytes)
{
    int nWaits = 0;
    qsizetype nDone = 0;
    while (nDone < bytes.size()) {
        const QByteArray rest = bytes.mid(nDone);
        const qint64 nTaken = m_adapter.IsOn() ? m_adapter.Take(rest)
                                               : ::write(m_nFd, rest.constData(), static_cast<size_t>(rest.size()));
        if (nTaken > 0) {
            nDone += nTaken;
            continue;
        }
        if (nTaken < 0 && errno != EAGAIN && errno != EINTR)
            return nWaits;
        // The window has not taken what is already there: a backlog.
        ++nWaits;
        if (m_adapter.IsOn()) {
            RunEventsUntil(MonotonicNs() + kRetryMs * kNsPerMs);
        } else {
            pollfd out{m_nFd, POLLOUT, 0};
            ::poll(&out, 1, 100);
        }
    }
    return nWaits;
}

qint64 CStreamLine::WholeAtNs() const
{
    return MonotonicNs() + m_adapter.NsUntilTakenIn();
}

int CStreamLine::ReportsAhead() const
{
    return m_adapter.IsOn() ? 1 : 0;
}

void CStreamLine::WaitUntil(qint64 nNs)
{
    if (m_adapter.IsOn())
        RunEventsUntil(nNs);
    else
        SleepUntil(nNs);
}

bool CStreamLine::WaitForInput(int nTimeoutMs)
{
    if (!m_adapter.IsOn())
        return HasInput(m_nFd, nTimeoutMs);
    const qint64 nUntilNs = MonotonicNs() + nTimeoutMs * kNsPerMs;
    while (!HasInput(m_nFd, 0)) {
        if (MonotonicNs() >= nUntilNs)
            return false;
        RunEventsUntil(qMin(nUntilNs, MonotonicNs() + kNsPerMs));
    }
    return true;
}

void CStreamLine::Flush()
{
    // A tick of the latency timer comes within one latency of the last byte.
    if (m_adapter.IsOn())
        RunEventsUntil(WholeAtNs() + 2 * m_nLatencyMs * kNsPerMs);
}

void CStreamLine::RunEventsUntil(qint64 nNs)
{
    for (qint64 nLeftNs = nNs - MonotonicNs(); nLeftNs > 0; nLeftNs = nNs - MonotonicNs()) {
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>((nLeftNs + kNsPerMs - 1) / kNsPerMs), Qt::PreciseTimer, &loop,
                           &QEventLoop::quit);
        loop.exec();
    }
}
