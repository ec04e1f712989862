#include "board/adapter_hold.h"

namespace {

constexpr qint64 kNsPerMs = 1000000;
// The chip's receive buffer. When the host stops reading it fills, and the
// board's UART waits, so that output to a line nobody reads stays bounded.
constexpr qsizetype kBufferBytes = 256;
// A full pseudo-terminal drains as the client reads; try again soon.
constexpr int kRetryMs = 5;

int MsecsUntil(qint64 nNsecs)
{
    // Rounded up: a wake before the byte is in would only sleep again.
    return static_cast<int>((qMax<qint64>(nNsecs, 0) + kNsPerMs - 1) / kNsPerMs);
}

} // namespace

CAdapterHold::CAdapterHold()
{
    m_tickTimer.setTimerType(Qt::PreciseTimer);
    m_packetTimer.setSingleShot(true);
    m_packetTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_tickTimer, &QTimer::timeout, &m_tickTimer, [this] { OnTick(); });
    QObject::connect(&m_packetTimer, &QTimer::timeout, &m_packetTimer, [this] { DeliverFullPackets(); });
    m_clock.start();
}

void CAdapterHold::SetLine(LineWrite write)
{
    m_write = std::move(write);
    if (!m_write)
        Drop();
}

void CAdapterHold::SetLatency(int nMsecs)
{
    if (nMsecs > 0) {
        m_tickTimer.start(nMsecs);
        return;
    }
    m_tickTimer.stop();
    m_packetTimer.stop();
    // What is still on its way in counts as in: nothing holds it now.
    m_arrivalNs.fill(0);
    Deliver(m_held.size());
}

void CAdapterHold::SetByteTime(qint64 nNsecs)
{
    m_nByteNs = qMax<qint64>(0, nNsecs);
}

bool CAdapterHold::IsOn() const
{
    return m_tickTimer.isActive();
}

qsizetype CAdapterHold::Take(const QByteArray& bytes)
{
    const qsizetype nTaken = qMin(bytes.size(), kBufferBytes - m_held.size());
    if (!m_write || nTaken <= 0)
        return 0;
    qint64 nAtNs = qMax(m_clock.nsecsElapsed(), m_arrivalNs.isEmpty() ? 0 : m_arrivalNs.last());
    for (qsizetype i = 0; i < nTaken; ++i) {
        nAtNs += m_nByteNs;
        m_arrivalNs.append(nAtNs);
    }
    m_held.append(bytes.constData(), nTaken);
    DeliverFullPackets();
    return nTaken;
}

qint64 CAdapterHold::NsUntilTakenIn() const
{
    return m_arrivalNs.isEmpty() ? 0 : qMax<qint64>(0, m_arrivalNs.last() - m_clock.nsecsElapsed());
}

void CAdapterHold::OnTick()
{
    if (!m_packetTimer.isActive() || ArrivedBytes() < kPacketPayload)
        Deliver(ArrivedBytes());
    DeliverFullPackets();
}

void CAdapterHold::DeliverFullPackets()
{
    while (ArrivedBytes() >= kPacketPayload) {
        if (!Deliver(kPacketPayload))
            return;
    }
    // Wake when the byte that fills the next packet is in.
    if (m_held.size() >= kPacketPayload)
        m_packetTimer.start(MsecsUntil(m_arrivalNs[kPacketPayload - 1] - m_clock.nsecsElapsed()));
}

bool CAdapterHold::Deliver(qsizetype nBytes)
{
    while (m_write && nBytes > 0) {
        const qsizetype nPacket = qMin(nBytes, kPacketPayload);
        const qint64 nWritten = m_write(m_held.first(nPacket));
        if (nWritten < 0) {
            Drop();
            return false;
        }
        if (nWritten > 0) {
            m_held.remove(0, nWritten);
            m_arrivalNs.remove(0, nWritten);
            nBytes -= nWritten;
        }
        if (nWritten < nPacket) {
            m_packetTimer.start(kRetryMs);
            return false;
        }
    }
    return true;
}

qsizetype CAdapterHold::ArrivedBytes() const
{
    const qint64 nNowNs = m_clock.nsecsElapsed();
    qsizetype nArrived = 0;
    while (nArrived < m_arrivalNs.size() && m_arrivalNs[nArrived] <= nNowNs)
        ++nArrived;
    return nArrived;
}

void CAdapterHold::Drop()
{
    m_held.clear();
    m_arrivalNs.clear();
    m_packetTimer.stop();
}
