#include "latency/board_thread.h"

#include "board/virtual_board.h"
#include "support/clock.h"

#include <QMutexLocker>

CBoardThread::CBoardThread(QObject* pWake)
    : m_pWake(pWake)
{
    m_context.moveToThread(&m_thread);
    m_thread.start();
}

CBoardThread::~CBoardThread()
{
    QMetaObject::invokeMethod(&m_context, [this] { delete m_pBoard; }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

bool CBoardThread::Open(QString& strError)
{
    bool bOpen = false;
    QMetaObject::invokeMethod(
        &m_context,
        [&] {
            m_pBoard = new CVirtualBoard;
            m_pBoard->SetLinePacing(false);
            // The report stream runs at the report interval's full rate.
            m_pBoard->SetStepsPerReport(1);
            QObject::connect(m_pBoard, &CVirtualBoard::FrameReceived, m_pBoard,
                             [this](const ReceivedFrame& frame) { Stamp(m_frames, static_cast<quint32>(frame.Command())); });
            QObject::connect(m_pBoard, &CVirtualBoard::ReportSent, m_pBoard,
                             [this](quint32 dwWord) { Stamp(m_reports, dwWord); });
            bOpen = m_pBoard->Open();
            strError = m_pBoard->ErrorText();
            m_strPortName = m_pBoard->PortName();
        },
        Qt::BlockingQueuedConnection);
    return bOpen;
}

QString CBoardThread::PortName() const
{
    return m_strPortName;
}

void CBoardThread::SetReportInterval(int nMsecs)
{
    QMetaObject::invokeMethod(&m_context, [this, nMsecs] { m_pBoard->SetReportInterval(nMsecs); },
                              Qt::BlockingQueuedConnection);
}

QList<BoardStamp> CBoardThread::Frames() const
{
    const QMutexLocker locker(&m_mutex);
    return m_frames;
}

QList<BoardStamp> CBoardThread::Reports() const
{
    const QMutexLocker locker(&m_mutex);
    return m_reports;
}

void CBoardThread::Stamp(QList<BoardStamp>& stamps, quint32 dwValue)
{
    const qint64 nNs = MonotonicNs();
    {
        const QMutexLocker locker(&m_mutex);
        stamps.append({nNs, dwValue});
    }
    QMetaObject::invokeMethod(m_pWake, [] {}, Qt::QueuedConnection);
}
