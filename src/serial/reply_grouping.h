#pragma once

#include "serial/line_settings.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class CLinkPort;

// Decides when received bytes make one receive event. Bytes with no idle
// gap of 3.5 character times between them belong together, so a reply is not
// split; behind a USB-serial adapter the gap is the adapter's latency plus
// 2 ms, since the adapter may hold the rest of a reply that long. A line that
// does not fall quiet for a long while is taken in on a timer instead, one
// event per few reports rather than a wake-up for every one: the system is
// told to hold the bytes meanwhile. A group taken while more bytes follow
// ends on a whole report, as a gap would have cut it: an adapter's packets
// cut the stream anywhere, and a report cut in two would show as two mixed.
class CReplyGrouping : public QObject {
    Q_OBJECT

public:
    explicit CReplyGrouping(CLinkPort& port);

    // The port to watch from now on, such as another kind the link opened.
    void SetPort(CLinkPort& port);

    void SetLine(const LineSettings& settings);
    // The latency timer of the adapter behind the port; 0 for none.
    void SetAdapterLatency(int nMsecs);
    // Bytes waiting before an event is raised; 0 raises none.
    void SetThreshold(int nBytes);
    // A full input buffer is delivered at once.
    void SetBufferBytes(int nBytes);
    // A read took the group; whatever it left makes a group of its own.
    void AfterRead();
    // A frame went out: the board's acknowledgement may lead what comes next.
    void FrameWritten();
    // A whole answer to a frame makes an event as it arrives, without the
    // idle gap, for a program that judges each reply as it comes. The
    // window's watches read the latest reply at their ticks: for them an
    // answer and a report right behind it stay one event.
    void SetAnswersAtOnce(bool bAtOnce);
    // Bytes the next read takes: all that are here, or on a busy line the
    // whole reports among them.
    qint64 GroupBytes() const;
    // The port is closing or has gone.
    void Stop();

    int IdleGapMsecs() const;
    // 3.5 character times of the line, whatever the adapter.
    int LineGapMsecs() const;

Q_SIGNALS:
    void GroupReady();

private:
    void OnReadyRead();
    void OnIdle();
    void BeginStreaming();
    void EndStreaming();
    void OnDrainTick();
    int LongestWaitMsecs() const;
    int DrainMsecs() const;
    bool HasGroup() const;

    CLinkPort* m_pPort;
    QTimer m_idleTimer;
    QTimer m_drainTimer;
    // Since the first byte not yet delivered arrived.
    QElapsedTimer m_pendingSince;
    LineSettings m_settings;
    int m_nAdapterLatencyMsecs = 0;
    int m_nThreshold = 0;
    int m_nBufferBytes = 1024;
    bool m_bStreaming = false;
    bool m_bArrivedSinceDrain = false;
    bool m_bAnswerAwaited = false;
    bool m_bAnswersAtOnce = false;
    // A stream paused on part of a report, whose rest may yet come.
    bool m_bStreamRemainder = false;
};
