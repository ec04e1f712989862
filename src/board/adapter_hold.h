#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QTimer>

// The receive side of a USB-serial adapter of the FTDI kind, between the
// board's UART and the host. Bytes off the line wait in the adapter's buffer
// until its latency timer runs out, counted from the first waiting byte, or
// until a USB packet's payload is full; each packet reaches the host in one
// write. Off by default.
class CAdapterHold {
public:
    // 64-byte USB packets less the adapter's two status bytes.
    static constexpr qsizetype kPacketPayload = 62;

    CAdapterHold();

    // -1 when the line is gone: what is held is dropped.
    void SetFd(int nFd);
    // Zero or less turns the adapter off and hands on what it holds at once.
    void SetLatency(int nMsecs);
    bool IsOn() const;

    // Takes what fits in the buffer, as write() would: 0 while it is full.
    qsizetype Take(const QByteArray& bytes);

private:
    struct Arrival {
        qsizetype nBytes = 0;
        qint64 nAtNs = 0;
    };

    void Deliver();
    bool IsDue() const;
    void Forget(qsizetype nBytes);
    void WakeIn(qint64 nNsecs);

    QTimer m_timer;
    QElapsedTimer m_clock;
    QByteArray m_held;
    // When each piece of m_held came in, oldest first.
    QList<Arrival> m_arrivals;
    qint64 m_nLatencyNs = 0;
    int m_nFd = -1;
};
