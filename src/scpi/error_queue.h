#pragma once

#include "scpi/scpi_error.h"

#include <QList>
#include <QString>

// One client's error queue and standard event status.
class CErrorQueue {
public:
    static constexpr int kCapacity = 16;

    // Queues the error and sets its event bit. A full queue keeps its oldest
    // entries and makes the last one "Queue overflow".
    void Push(const ScpiError& error);
    // The oldest entry as <code>,"<text>", removed; 0,"No error" when empty.
    QString TakeNext();
    // *CLS: the queue and the event status emptied.
    void Clear();
    bool IsEmpty() const;
    // *ESR?: the standard event status register, cleared by the reading.
    int TakeEventStatus();
    // *STB?: the status byte, with the error queue bit set while entries wait.
    int StatusByte() const;
    // *OPC: commands run one at a time, so every earlier one has finished.
    void OperationComplete();
    int Size() const;

private:
    QList<ScpiError> m_errors;
    int m_nEventStatus = 0;
};
