#include "scpi/client_status.h"

#include "scpi/sweep_tracker.h"

namespace {

constexpr int kErrorQueueBit = 1 << 2;
constexpr int kEventStatusBit = 1 << 5;
constexpr int kMasterSummaryBit = 1 << 6;
constexpr int kOperationBit = 1 << 7;
// STATus:OPERation bit 3.
constexpr int kSweepingBit = 1 << 3;

} // namespace

CClientStatus::CClientStatus(int nClient)
    : m_nClient(nClient)
{
}

void CClientStatus::Clear(const CSweepTracker& sweep)
{
    m_errors.Clear();
    m_nSweepStartsSeen = sweep.Starts();
    m_nOpcSweepsDone = -1;
}

void CClientStatus::Preset()
{
    m_nOperationEnable = 0;
    m_nQuestionableEnable = 0;
}

void CClientStatus::SetServiceEnable(int nMask)
{
    m_nServiceEnable = nMask & ~kMasterSummaryBit;
}

void CClientStatus::OperationComplete(const CSweepTracker& sweep)
{
    if (sweep.IsSingleSweepRunning())
        m_nOpcSweepsDone = sweep.SingleSweepsDone();
    else
        m_errors.OperationComplete();
}

int CClientStatus::TakeEventStatus(const CSweepTracker& sweep)
{
    SettleOperationComplete(sweep);
    return m_errors.TakeEventStatus();
}

int CClientStatus::StatusByte(const CSweepTracker& sweep)
{
    SettleOperationComplete(sweep);
    int nStatus = 0;
    if (!m_errors.IsEmpty())
        nStatus |= kErrorQueueBit;
    if ((m_errors.EventStatus() & m_nEventEnable) != 0)
        nStatus |= kEventStatusBit;
    if ((OperationEvents(sweep) & m_nOperationEnable) != 0)
        nStatus |= kOperationBit;
    if ((nStatus & m_nServiceEnable) != 0)
        nStatus |= kMasterSummaryBit;
    return nStatus;
}

int CClientStatus::OperationCondition(const CSweepTracker& sweep)
{
    return sweep.IsSweeping() ? kSweepingBit : 0;
}

int CClientStatus::TakeOperationEvents(const CSweepTracker& sweep)
{
    const int nEvents = OperationEvents(sweep);
    m_nSweepStartsSeen = sweep.Starts();
    return nEvents;
}

void CClientStatus::SettleOperationComplete(const CSweepTracker& sweep)
{
    if (m_nOpcSweepsDone >= 0 && sweep.SingleSweepsDone() != m_nOpcSweepsDone) {
        m_errors.OperationComplete();
        m_nOpcSweepsDone = -1;
    }
}

// A start since the last reading is a rising SWEeping condition, which the
// SCPI transition filters pass by default.
int CClientStatus::OperationEvents(const CSweepTracker& sweep) const
{
    return sweep.Starts() != m_nSweepStartsSeen ? kSweepingBit : 0;
}
