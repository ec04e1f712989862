#pragma once

#include "scpi/error_queue.h"

class CSweepTracker;

// One client's status as IEEE 488.2 and SCPI define it: its error queue and
// standard event register, the enable registers it set, and the events of
// the shared sweep it has not read yet. Each client has its own, as each
// VISA session of a shared instrument does.
class CClientStatus {
public:
    // The client's number, for the lock.
    explicit CClientStatus(int nClient = 1);

    int Client() const { return m_nClient; }
    CErrorQueue& Errors() { return m_errors; }
    const CErrorQueue& Errors() const { return m_errors; }

    // *CLS: the error queue, the event registers and a pending *OPC cleared;
    // a sweep already running is no longer news.
    void Clear(const CSweepTracker& sweep);
    // STATus:PRESet: the SCPI enable registers cleared.
    void Preset();

    void SetEventEnable(int nMask) { m_nEventEnable = nMask; }
    int EventEnable() const { return m_nEventEnable; }
    // Bit 6 of the service request enable is ignored, as IEEE 488.2 asks.
    void SetServiceEnable(int nMask);
    int ServiceEnable() const { return m_nServiceEnable; }
    void SetOperationEnable(int nMask) { m_nOperationEnable = nMask; }
    int OperationEnable() const { return m_nOperationEnable; }
    void SetQuestionableEnable(int nMask) { m_nQuestionableEnable = nMask; }
    int QuestionableEnable() const { return m_nQuestionableEnable; }

    // *OPC: the operation complete bit, now or once a running single sweep
    // has stopped running.
    void OperationComplete(const CSweepTracker& sweep);
    // *ESR?: the standard event register, cleared by the reading.
    int TakeEventStatus(const CSweepTracker& sweep);
    // *STB?: error queue (2), ESB (5), MSS (6) and OPER (7). QUES (3) stays
    // clear with its condition.
    int StatusByte(const CSweepTracker& sweep);

    static int OperationCondition(const CSweepTracker& sweep);
    // STATus:OPERation:EVENt?: cleared by the reading.
    int TakeOperationEvents(const CSweepTracker& sweep);
    // Nothing the board does is questionable: its condition stays 0.
    static int QuestionableCondition() { return 0; }

private:
    void SettleOperationComplete(const CSweepTracker& sweep);
    int OperationEvents(const CSweepTracker& sweep) const;

    int m_nClient;
    CErrorQueue m_errors;
    int m_nEventEnable = 0;
    int m_nServiceEnable = 0;
    int m_nOperationEnable = 0;
    int m_nQuestionableEnable = 0;
    // The sweep starts taken notice of, for the SWEeping event.
    int m_nSweepStartsSeen = 0;
    // Of a pending *OPC, the single sweeps done when it was given.
    int m_nOpcSweepsDone = -1;
};
