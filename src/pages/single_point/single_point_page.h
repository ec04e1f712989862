#pragma once

#include "pages/scroll_codes.h"
#include "ui_single_point_page.h"

#include <QString>
#include <QTimer>
#include <QWidget>

// The "sending" page: one amplitude and one frequency, typed or set with the
// scroll bars, sent as one frame and resent until the board acknowledges.
class CSinglePointPage : public QWidget {
    Q_OBJECT

public:
    explicit CSinglePointPage(QWidget* pParent = nullptr);

    const Ui::CSinglePointPage& Controls() const { return m_ui; }

    void OnChangeAmplitude();
    void OnChangeFrequency();
    void OnHScroll(ScrollCode nCode, int nThumbPos, QScrollBar* pBar);
    void OnSend();
    void OnTimer();

    int SendRetry() const { return m_nSendRetry; }
    bool IsWatchRunning() const { return m_timerWatch.isActive(); }

private:
    void OnInitDialog();
    void UpdateData(bool bSaveAndValidate);
    void EndWatch();

    Ui::CSinglePointPage m_ui;
    QString m_strAmplitude = QStringLiteral("0");
    QString m_strFrequency = QStringLiteral("0");
    float m_fAmplitude = 0.0f;
    float m_fFrequency = 0.0f;
    int m_nAmplitudePos = 0;
    int m_nFrequencyPos = 0;
    int m_nSendRetry = 0;
    QString m_strCommand;
    bool m_bSendDone = false;
    // Set while the watch itself resends, so that Send keeps its rhythm.
    bool m_bSendRetrying = false;
    // g_nReceiveEvents when the last frame went out.
    quint64 m_nRepliesBeforeFrame = 0;
    // Timer 1 of the page: the acknowledgement watch.
    QTimer m_timerWatch;
};
