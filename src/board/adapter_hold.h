#pragma once

#include "board/line_write.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QTimer>

// The receive side of a USB-serial adapter of the FTDI kind, between the
// board's UART and the host. Bytes come in off the line one by one; the
// adapter hands what has come to the host each time its latency timer runs
// out, a timer that runs on its own, or at once when a USB packet's payload
// is full. So a reply whose bytes straddle a tick reaches the host in two
// pieces, the second a latency later. Each packet is one write. Off by default.
class CAdapterHold {
public:
    // 64-byte USB packets less the adapter's two status bytes.
    static constexpr qsizetype kPacketPayload = 62;

    CAdapterHold();

    // None when the line is gone: what is held is dropped.
    void SetLine(LineWrite write);
    // Zero or less turns the adapter off and hands on what it holds at once.
    void SetLatency(int nMsecs);
    // How long a byte takes on the line into the adapter; 0 when a message
    // comes in whole.
    void SetByteTime(qint64 nNsecs);
    bool IsOn() const;

    // Takes what fits in the buffer, as write() would: 0 while it is full.
    qsizetype Take(const QByteArray& bytes);
    // How long until the last byte taken is in off the line; 0 once it is,
    // so that a writer can tell when a message has come in whole.
    qint64 NsUntilTakenIn() const;

private:
    void OnTick();
    void DeliverFullPackets();
    // Writes up to nBytes of what has come in; false when the line took less.
    bool Deliver(qsizetype nBytes);
    qsizetype ArrivedBytes() const;
    void Drop();

    QTimer m_tickTimer;
    QTimer m_packetTimer;
    QElapsedTimer m_clock;
    QByteArray m_held;
    // When each held byte is in off the line, oldest first.
    QList<qint64> m_arrivalNs;
    qint64 m_nByteNs = 0;
    LineWrite m_write;
};
