#pragma once

#include "pages/scroll_codes.h"
#include "serial/resend_watch.h"
#include "ui_single_point_page.h"

#include <QString>
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

    int SendRetry() const { return m_nSendRetry; }
    bool IsWatchRunning() const { return m_watchSend.IsRunning(); }

private:
    void OnInitDialog();
    void UpdateData(bool bSaveAndValidate);
    // Steps of Send up to the frame: read, correct, clear the sweep flags.
    QString ComposeSendFrame(int nRetry);

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
    bool m_bSendRetrying = false;
    // The acknowledgement watch.
    CResendWatch m_watchSend;
};
