#pragma once

#include "board/adapter_hold.h"

#include <QByteArray>

// The stream board's line to the window: straight into the pseudo-terminal,
// or through a USB-serial adapter of the FTDI kind (the virtual board's own),
// which takes the bytes in at the line's pace and hands them on at each tick
// of its latency timer, or at once when a packet is full. The adapter works
// only while the board waits here, so every wait of the board goes through
// this.
class CStreamLine {
public:
    // A latency of 0 or less is no adapter.
    CStreamLine(int nFd, int nAdapterLatencyMs);
    CStreamLine(const CStreamLine&) = delete;
    CStreamLine& operator=(const CStreamLine&) = delete;

    // Answers a frame; false when the line did not take the whole answer.
    bool Answer(const QByteArray& bytes);
    // Puts a report on the line whole, waiting while the line is full;
    // returns how many times it had to wait.
    int WriteReport(const QByteArray& bytes);
    // When the report written last is whole where the window can next read
    // it: on the pseudo-terminal at once, behind an adapter once its last
    // byte has come in off the line.
    qint64 WholeAtNs() const;
    // How many reports ahead of its time one is handed over. The adapter
    // takes each in where the one before ended, so one ahead keeps the line's
    // pace exact however late the board wakes up.
    int ReportsAhead() const;

    // Waits until a time on the monotonic clock.
    void WaitUntil(qint64 nNs);
    // Waits for bytes from the window; false when none came in time.
    bool WaitForInput(int nTimeoutMs);
    // Waits until the adapter has handed on all it was given.
    void Flush();

private:
    void RunEventsUntil(qint64 nNs);

    CAdapterHold m_adapter;
    const int m_nFd;
    const int m_nLatencyMs;
};
