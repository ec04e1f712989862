#include "board/paced_writer.h"

#include "board/adapter_hold.h"

namespace {

constexpr qint64 kNsPerMs = 1000000;
// Ten bits a byte at 9600 baud.
constexpr qint64 kLineNsPerByte = 10 * 1000000000LL / 9600;
constexpr qint64 kGapNs = 8 * kNsPerMs;
// A full pseudo-terminal drains as the client reads; try again soon.
constexpr qint64 kRetryNs = 5 * kNsPerMs;
// Reports to a line nobody reads must not pile up without end.
constexpr qsizetype kMaxQueuedMessages = 64;

} // namespace

CPacedWriter::CPacedWriter()
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { Pump(); });
    m_clock.start();
}

void CPacedWriter::SetLine(LineWrite write)
{
    m_write = std::move(write);
    if (!m_write) {
        m_queue.clear();
        m_timer.stop();
    }
}

void CPacedWriter::SetPacing(bool bPaced)
{
    m_bPaced = bPaced;
    if (m_pAdapter)
        m_pAdapter->SetByteTime(bPaced ? kLineNsPerByte : 0);
}

void CPacedWriter::SetAdapter(CAdapterHold* pAdapter)
{
    m_pAdapter = pAdapter;
    // A paced message reaches the adapter a byte at a time.
    m_pAdapter->SetByteTime(m_bPaced ? kLineNsPerByte : 0);
}

void CPacedWriter::Enqueue(const QByteArray& bytes, int nGapMs)
{
    if (!m_write || bytes.isEmpty() || m_queue.size() >= kMaxQueuedMessages)
        return;
    m_queue.append({bytes, bytes.size(), nGapMs});
    if (!m_timer.isActive())
        Pump();
}

void CPacedWriter::Pump()
{
    if (m_queue.isEmpty() || !m_write)
        return;
    const qint64 nWait = m_nNextWriteNs - m_clock.nsecsElapsed();
    if (nWait > 0) {
        WakeIn(nWait);
        return;
    }
    Message& message = m_queue.first();
    const qint64 nWritten = PassOn(message.bytes);
    if (nWritten < 0) {
        m_queue.clear();
        return;
    }
    if (nWritten < message.bytes.size()) {
        message.bytes.remove(0, nWritten);
        WakeIn(kRetryNs);
        return;
    }
    m_nNextWriteNs = m_clock.nsecsElapsed() + PauseAfter(message);
    m_queue.removeFirst();
    if (!m_queue.isEmpty())
        WakeIn(m_nNextWriteNs - m_clock.nsecsElapsed());
}

qint64 CPacedWriter::PassOn(const QByteArray& bytes)
{
    if (m_pAdapter && m_pAdapter->IsOn())
        return m_pAdapter->Take(bytes);
    return m_write(bytes);
}

void CPacedWriter::WakeIn(qint64 nNsecs)
{
    m_timer.start(static_cast<int>((qMax<qint64>(nNsecs, 0) + kNsPerMs - 1) / kNsPerMs));
}

qint64 CPacedWriter::PauseAfter(const Message& message) const
{
    if (message.nGapMs >= 0)
        return message.nGapMs * kNsPerMs;
    return (m_bPaced ? message.nLineBytes * kLineNsPerByte : 0) + kGapNs;
}
