#include "scpi/error_queue.h"

#include <QStringList>

namespace {

// IEEE 488.2 standard event status bits.
constexpr int kOperationCompleteBit = 1 << 0;
constexpr int kDeviceErrorBit = 1 << 3;
constexpr int kExecutionErrorBit = 1 << 4;
constexpr int kCommandErrorBit = 1 << 5;

int EventBit(int nCode)
{
    if (nCode <= -100 && nCode > -200)
        return kCommandErrorBit;
    if (nCode <= -200 && nCode > -300)
        return kExecutionErrorBit;
    if (nCode <= -300 && nCode > -400)
        return kDeviceErrorBit;
    return 0;
}

} // namespace

void CErrorQueue::Push(const ScpiError& error)
{
    m_nEventStatus |= EventBit(error.nCode);
    if (m_errors.size() < kCapacity) {
        m_errors.append(error);
        return;
    }
    m_errors.last() = kQueueOverflow;
    m_nEventStatus |= EventBit(kQueueOverflow.nCode);
}

QString CErrorQueue::TakeNext()
{
    if (m_errors.isEmpty())
        return QStringLiteral("0,\"No error\"");
    const ScpiError error = m_errors.takeFirst();
    return QStringLiteral("%1,\"%2\"").arg(error.nCode).arg(QLatin1String(error.pszText));
}

QString CErrorQueue::TakeAll()
{
    QStringList entries{TakeNext()};
    while (!m_errors.isEmpty())
        entries.append(TakeNext());
    return entries.join(QLatin1Char(','));
}

void CErrorQueue::Clear()
{
    m_errors.clear();
    m_nEventStatus = 0;
}

bool CErrorQueue::IsEmpty() const
{
    return m_errors.isEmpty();
}

int CErrorQueue::TakeEventStatus()
{
    const int nEventStatus = m_nEventStatus;
    m_nEventStatus = 0;
    return nEventStatus;
}

int CErrorQueue::EventStatus() const
{
    return m_nEventStatus;
}

void CErrorQueue::OperationComplete()
{
    m_nEventStatus |= kOperationCompleteBit;
}

int CErrorQueue::Size() const
{
    return static_cast<int>(m_errors.size());
}
