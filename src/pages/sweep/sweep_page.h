#pragma once

#include "pages/scroll_codes.h"
#include "serial/resend_watch.h"
#include "ui_sweep_page.h"

#include <QString>
#include <QWidget>

// Set: the Pause button reads "Pause" and its next press pauses; clear: it
// reads "Continue" and its next press continues.
extern unsigned char g_bPauseNext;

// The "scanning" page: sweep settings, Scan, Pause and Continue, and the
// frequency the board reports.
class CSweepPage : public QWidget {
    Q_OBJECT

public:
    // One watch per kind of frame.
    enum WatchId { kScanWatch = 1, kPauseWatch = 2, kContinueWatch = 3 };

    explicit CSweepPage(QWidget* pParent = nullptr);

    const Ui::CSweepPage& Controls() const { return m_ui; }

    void OnChangeAmplitude();
    void OnDropdownInterval();
    void OnScan();
    void OnPause();
    void OnHScroll(ScrollCode nCode, int nThumbPos, QScrollBar* pBar);
    void OnChangeStartFreq();
    void OnChangeEndFreq();
    void OnChangeTimeInterval();

    bool IsWatchRunning(int nIDEvent) const;
    // The watch's last frame was acknowledged, or its resends are spent.
    bool IsWatchDone(int nIDEvent) const;

private:
    void OnInitDialog();
    // Loading stops at a field whose text is not a number, with a message;
    // false then.
    bool UpdateData(bool bSaveAndValidate);
    // Scan up to its frame: the settings read, checked and written back.
    QString ComposeScanFrame(int nRetry);
    QString ComposePauseFrame(int nRetry);
    QString ComposeContinueFrame(int nRetry);
    void AfterScanFrame();
    // What a sweep watch's tick does beside the acknowledgement.
    void OnWatchTicked(int nIDEvent);
    void OnResendFailed(const QString& strWhy, bool bPortFault);
    CResendWatch& WatchFor(int nIDEvent);
    const CResendWatch& WatchFor(int nIDEvent) const;
    void UpdateReportedFrequency(bool bEndOfSweepTest);
    void ReturnToIdle(bool bRestorePause);

    Ui::CSweepPage m_ui;
    float m_fStartFreq = 0.0f;
    float m_fAmplitude = 0.0f;
    float m_fEndFreq = 0.0f;
    QString m_strCommand;
    QString m_strStepCode;
    int m_nAmplitudePos = 0;
    int m_nScanRetry = 0;
    int m_nPauseRetry = 0;
    int m_nContinueRetry = 0;
    quint32 m_dwStartWord = 0;
    quint32 m_dwEndWord = 0;
    bool m_bScanDone = true;
    bool m_bPauseDone = true;
    bool m_bContinueDone = true;
    bool m_bScanRetrying = false;
    bool m_bPauseRetrying = false;
    bool m_bContinueRetrying = false;
    // Once the continue watch has seen a reply, Scan stops it; nothing clears this.
    bool m_bContinueReplySeen = false;
    double m_dStepMHz = 0.0;
    QString m_strAmplitude = QStringLiteral("0");
    QString m_strStartFreq;
    QString m_strEndFreq;
    float m_fCurrentFreq = 0.0f;
    QString m_strTimeInterval = QStringLiteral("5");
    int m_bCircular = 0;
    // One watch per kind of frame.
    CResendWatch m_watchScan;
    CResendWatch m_watchPause;
    CResendWatch m_watchContinue;
};
