#pragma once

#include "scpi/scpi_error.h"

#include <QList>
#include <QString>

// One client's error queue and standard event register.
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
    // SYSTem:ERRor:ALL?: every entry, oldest first, joined by commas; the
    // queue emptied.
    QString TakeAll();
    // *ESR?: the standard event status register, cleared by the reading.
    int TakeEventStatus();
    int EventStatus() const;
    void OperationComplete();
    int Size() const;

private:
    QList<ScpiError> m_errors;
    int m_nEventStatus = 0;
};
