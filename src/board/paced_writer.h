#pragma once

#include "board/line_write.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QTimer>

class CAdapterHold;

// Every write to the line goes through this queue, one write a message, so
// that two messages never arrive glued: the client takes bytes less than a
// few milliseconds apart for one reply. Only an adapter in between, as on a
// real board, may hold them together.
class CPacedWriter {
public:
    CPacedWriter();

    // None when the line is gone: what is queued is dropped.
    void SetLine(LineWrite write);
    void SetPacing(bool bPaced);
    // While it is on, the paced bytes go to this adapter rather than straight
    // onto the line.
    void SetAdapter(CAdapterHold* pAdapter);

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
    qint64 PassOn(const QByteArray& bytes);
    void WakeIn(qint64 nNsecs);
    qint64 PauseAfter(const Message& message) const;

    QTimer m_timer;
    QElapsedTimer m_clock;
    QList<Message> m_queue;
    qint64 m_nNextWriteNs = 0;
    CAdapterHold* m_pAdapter = nullptr;
    LineWrite m_write;
    bool m_bPaced = true;
};
