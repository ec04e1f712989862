#pragma once

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QThread>

class CVirtualBoard;

// When the board had something: a frame (value: its command byte) or a
// report it wrote (value: the tuning word).
struct BoardStamp {
    qint64 nNs = 0;
    quint32 dwValue = 0;
};

// The virtual board, line pacing off, on a thread of its own: it reads the
// line and stamps each frame the moment the bytes arrive, whatever the
// window's thread is doing. Each stamp also wakes the window's thread, so
// that a wait there sees it at once.
class CBoardThread {
public:
    explicit CBoardThread(QObject* pWake);
    ~CBoardThread();
    CBoardThread(const CBoardThread&) = delete;
    CBoardThread& operator=(const CBoardThread&) = delete;

    // Returns false with strError set.
    bool Open(QString& strError);
    QString PortName() const;
    void SetReportInterval(int nMsecs);

    QList<BoardStamp> Frames() const;
    QList<BoardStamp> Reports() const;

private:
    void Stamp(QList<BoardStamp>& stamps, quint32 dwValue);

    QThread m_thread;
    QObject m_context;
    QObject* m_pWake;
    CVirtualBoard* m_pBoard = nullptr;
    QString m_strPortName;
    mutable QMutex m_mutex;
    QList<BoardStamp> m_frames;
    QList<BoardStamp> m_reports;
};
