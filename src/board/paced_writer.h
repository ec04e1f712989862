#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QTimer>

// Every write to the line goes through this queue, one write() a message, so
// that two messages never arrive glued: the client takes bytes less than a
// few milliseconds apart for one reply.
class CPacedWriter {
public:
    CPacedWriter();

    // -1 when the line is gone: what is queued is dropped.
    void SetFd(int nFd);
    void SetPacing(bool bPaced);

    // With nGapMs >= 0, the next message follows this one nGapMs later instead
    // of after its line time and the usual gap. Dropped while the line is
    // gone or the queue is full.
    void Enqueue(const QByteArray& bytes, int nGapMs = -1);

private:
    struct Message {
        QByteArray bytes;
        qsizetype nLineBytes = 0;
        int nGapMs = -1;
    };

    void Pump();
    void WakeIn(qint64 nNsecs);
    qint64 PauseAfter(const Message& message) const;

    QTimer m_timer;
    QElapsedTimer m_clock;
    QList<Message> m_queue;
    qint64 m_nNextWriteNs = 0;
    int m_nFd = -1;
    bool m_bPaced = true;
};
