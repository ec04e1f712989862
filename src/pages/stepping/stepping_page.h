#pragma once

#include "pages/stepping/point_table_model.h"
#include "pages/stepping/stepping_controls.h"
#include "stepping/stepping_run.h"

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <optional>

// The "stepping" page: a logarithmic or list sweep stepped from the
// computer point by point over the window's link, with its progress, the
// time left and a trace of the frequency sent.
class CSteppingPage : public QWidget {
    Q_OBJECT

public:
    explicit CSteppingPage(QWidget* pParent = nullptr);

    const SteppingControls& Controls() const { return m_ui; }
    CPointTableModel& PointTable() { return m_pointTable; }
    const CSteppingRun& Run() const { return m_run; }

    void OnStart();
    void OnPause();
    void OnStop();
    // Load and Save after the file was chosen; false with a message shown
    // when the file cannot be read or written.
    bool LoadPoints(const QString& strPath);
    bool SavePoints(const QString& strPath);

private:
    void OnSpacingChanged(int nItem);
    void OnLoad();
    void OnSave();
    void OnAddPoint();
    void OnRemovePoint();
    // The points the settings give, or nothing with a message shown.
    std::optional<StepPoints> PointsFromSettings();
    // What the run does, shown.
    void OnProgress(int nPoint, int nPoints, double dMsecsLeft);
    void OnPointDone(const StepRecord& record);
    void OnPausedChanged(bool bPaused);
    void OnFinished(SteppingEnd end);
    void ShowTimeLeft();
    void SetRunning(bool bRunning);

    SteppingControls m_ui;
    CPointTableModel m_pointTable;
    CSteppingRun m_run;
    // The points of the run going, for the trace.
    StepPoints m_points;
    double m_dPassMsecs = 0.0;
    int m_nTracedPass = 0;
    // The time left counts down between points; the run tells it anew at each.
    QTimer m_timerTimeLeft;
    QElapsedTimer m_sinceProgress;
    double m_dMsecsLeft = 0.0;
};
