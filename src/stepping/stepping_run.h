#pragma once

#include "serial/traffic_log.h"
#include "stepping/step_points.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class CBoardExchange;
class CSerialLink;

// How a run ended.
enum class SteppingEnd { Completed, Aborted, NotAcknowledged, PortFailed };

// What became of one point sent, for progress displays and reports. Times
// are milliseconds on the run's clock, from the start, pauses left out.
struct StepRecord {
    int nPass = 1;
    // 1 to the number of points.
    int nPoint = 1;
    StepPoint point;
    double dDueMsecs = 0.0;
    double dSentMsecs = 0.0;
    double dAnsweredMsecs = 0.0;
    // Its due time had passed when the point before it was answered.
    bool bLate = false;
    int nFrames = 0;
    WatchResult result = WatchResult::Stopped;
    // The last frame written, with its CRC.
    QString strFrame;
};

// Steps the board through a list of points from the computer: each point is
// a point frame sent through the exchange, with the point watch's resends,
// judged as the answer arrives. Point k of a pass is due at the run's start
// plus the dwells before it, on a monotonic clock, so that delays do not add
// up; a point whose due time passed while the one before it was awaited goes
// out at once and counts as late, and none is skipped. A run ends after the
// last point's dwell and leaves the output at the last point, or where it
// was when aborted. A point the board refuses or never acknowledges, or a
// port failure, ends the run at once.
class CSteppingRun : public QObject {
    Q_OBJECT

public:
    static constexpr int kEndless = 0;

    explicit CSteppingRun(CSerialLink& link, QObject* pParent = nullptr);
    ~CSteppingRun() override;

    // Taken at the next Start.
    void SetPoints(const StepPoints& points);
    StepPoints Points() const;
    // Passes through the points, 1 or more, or kEndless.
    void SetRepeat(int nPasses);
    int Repeat() const;

    // Checks the points against the board's ranges and the line's least
    // dwell, then sends the first point at once. Returns false with
    // ErrorText() set, sending nothing, for a point out of range or a run
    // already going.
    bool Start();
    // Sends nothing more until Continue; a point on its way is still
    // awaited. The schedule moves on by the time spent paused.
    void Pause();
    void Continue();
    // Ends the run at once, leaving the output where it is.
    void Abort();
    // Where the link is shared: a point falls due only while isFree holds,
    // else it waits for LinkFreed, late.
    void SetLinkGate(std::function<bool()> isFree);
    void LinkFreed();
    // A point's frame is on its way.
    bool IsAwaitingBoard() const;

    bool IsRunning() const;
    bool IsPaused() const;
    // Planned time of the whole run in milliseconds; -1 when endless.
    double PlannedMsecs() const;
    // Points sent late so far in this run.
    int LateCount() const;
    int PointsSent() const;
    SteppingEnd End() const;
    // Why the run ended otherwise than completed or aborted, or why Start
    // refused it.
    QString ErrorText() const;

Q_SIGNALS:
    // A point went out: its number (1 to nPoints), its frequency and the
    // milliseconds left of the run (-1 when endless).
    void progress(int nPoint, int nPoints, double dFrequencyMHz, double dMsecsLeft);
    // Every frame written, resends too, with its CRC.
    void frameWritten(const QString& strFrame, int nRetry);
    // A point's exchange ended.
    void pointDone(const StepRecord& record);
    void pausedChanged(bool bPaused);
    void finished(SteppingEnd end);
    // Another sender wrote a frame on the link while the run went. The
    // board follows the last frame, so the run's next point undoes it,
    // unless the link is shared by design.
    void otherFrameSent();

private:
    double Now() const;
    double DueMsecs(qint64 nIndex) const;
    bool AllSent() const;
    void ScheduleNext();
    void SendDue();
    void OnExchangeFinished(WatchResult result);
    void OnFrameSent();
    void Finish(SteppingEnd end, const QString& strError = QString());
    void DropExchange();
    QString PointName(const StepRecord& record) const;

    CSerialLink& m_link;
    StepPoints m_points;
    StepPoints m_running;
    // Cumulative dwell before each point of a pass, in milliseconds.
    QVector<double> m_dueInPass;
    double m_dPassMsecs = 0.0;
    int m_nRepeat = 1;
    int m_nPasses = 1;

    QElapsedTimer m_clock;
    // Milliseconds spent paused, which the schedule moves on by.
    double m_dPausedMsecs = 0.0;
    double m_dPausedAt = 0.0;
    QTimer m_timer;
    QPointer<CBoardExchange> m_pExchange;
    StepRecord m_current;
    // Points sent so far; the next to send has this index.
    qint64 m_nSent = 0;
    int m_nLate = 0;
    // The answer to the point before came after the next one's due time.
    bool m_bNextLate = false;
    bool m_bRunning = false;
    bool m_bPaused = false;
    // Every point has gone out and been answered; the last dwell runs.
    bool m_bLastDwell = false;
    // The exchange has composed a frame: the link's next one is the run's.
    bool m_bOwnFrameDue = false;
    SteppingEnd m_end = SteppingEnd::Completed;
    QString m_strError;
    std::function<bool()> m_isLinkFree;
    bool m_bHeld = false;
};

Q_DECLARE_METATYPE(StepRecord)
