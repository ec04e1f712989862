#pragma once

#include <QObject>
#include <QTimer>

#include <limits>

// A sweep as the board was asked to run it: what ends it, and how long it
// takes from its settings.
struct SweepPlan {
    bool bCircular = false;
    quint32 dwStopWord = 0;
    // The number of steps times the time per step.
    qint64 nDurationMsecs = 0;
    // Stepped from the computer: it ends when the run says so.
    bool bStepped = false;
};

// What the board's sweep is doing, as far as the acknowledged frames and the
// board's reports tell. A single sweep has ended at the first report at or
// above its stop, or once its duration has run (paused time left out),
// whichever comes first; a circular one runs until a frame ends it.
class CSweepTracker : public QObject {
    Q_OBJECT

public:
    CSweepTracker();

    void Started(const SweepPlan& plan);
    void Paused();
    void Continued();
    // A point or close frame took the board out of the sweep.
    void Ended();
    void ReportReceived(quint32 dwWord);

    // Sweeping and not paused: STATus:OPERation's SWEeping condition.
    bool IsSweeping() const;
    // A single sweep still to end, which *OPC, *OPC? and *WAI wait for.
    bool IsSingleSweepRunning() const;
    // A stepped sweep, running or paused.
    bool IsStepped() const;
    // How often the board started sweeping, after a sweep frame or a
    // continue: each start is an event for every client's register.
    int Starts() const;
    // How often a single sweep stopped running, ended or paused.
    int SingleSweepsDone() const;

Q_SIGNALS:
    // A single sweep stopped running: whoever waited for it may go on.
    void singleSweepDone();

private:
    enum class Phase { Idle, Sweeping, Paused };

    void Stop(Phase phase);
    void SingleSweepDone();

    Phase m_phase = Phase::Idle;
    SweepPlan m_plan;
    QTimer m_timerEnd;
    // Of a paused single sweep, the time it still had to run.
    int m_nRemainingMsecs = 0;
    int m_nStarts = 0;
    int m_nSingleSweepsDone = 0;
};
