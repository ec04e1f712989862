#include "pages/sweep/sweep_page.h"

#include "encoding/number_text.h"
#include "pages/handler_guard.h"
#include "pages/message_box.h"
#include "pages/ms_comm.h"
#include "pages/reply_state.h"
#include "protocol/limits.h"

#include <QSignalBlocker>

#include <cmath>
#include <utility>

unsigned char g_bPauseNext = 0;

namespace {

// The framework's word for a float field whose text is not a number.
const QString kInvalidNumberText = QStringLiteral("Please enter a number.");

// Rewriting an unchanged text would move the cursor of a field being typed in.
void SetTextIfChanged(QLineEdit* pEdit, const QString& strText)
{
    if (pEdit->text() != strText)
        pEdit->setText(strText);
}

} // namespace

CSweepPage::CSweepPage(QWidget* pParent)
    : QWidget(pParent)
    , m_watchScan(kSweepWatchPolicy, {m_nScanRetry, m_bScanDone, m_bScanRetrying},
                  [this](int nRetry) { return ComposeScanFrame(nRetry); }, g_msComm, &g_strReply)
    , m_watchPause(kSweepWatchPolicy, {m_nPauseRetry, m_bPauseDone, m_bPauseRetrying},
                   [this](int nRetry) { return ComposePauseFrame(nRetry); }, g_msComm, &g_strReply)
    , m_watchContinue(kSweepWatchPolicy, {m_nContinueRetry, m_bContinueDone, m_bContinueRetrying},
                      [this](int nRetry) { return ComposeContinueFrame(nRetry); }, g_msComm, &g_strReply)
{
    m_ui.setupUi(this);
    const auto guarded = [this](void (CSweepPage::*pHandler)(), HandlerOrigin origin) {
        return [this, pHandler, origin] { RunGuarded(this, [this, pHandler] { (this->*pHandler)(); }, origin); };
    };
    // The pause watch's ticks end the scan watch, the continue watch's the pause watch.
    m_watchPause.StopOnEachTick(&m_watchScan);
    m_watchContinue.StopOnEachTick(&m_watchPause);
    for (const int nIDEvent : {kScanWatch, kPauseWatch, kContinueWatch}) {
        CResendWatch& watch = WatchFor(nIDEvent);
        connect(&watch, &CResendWatch::Ticked, this, [this, nIDEvent] { OnWatchTicked(nIDEvent); });
        connect(&watch, &CResendWatch::SendFailed, this, &CSweepPage::OnResendFailed);
    }
    connect(&m_watchScan, &CResendWatch::FrameWritten, this, &CSweepPage::AfterScanFrame);
    connect(m_ui.editAmplitude, &QLineEdit::textChanged, this, guarded(&CSweepPage::OnChangeAmplitude, HandlerOrigin::Event));
    connect(m_ui.cmbInterval, &CDropDownComboBox::DropDown, this, guarded(&CSweepPage::OnDropdownInterval, HandlerOrigin::Event));
    connect(m_ui.btnScan, &QPushButton::clicked, this, guarded(&CSweepPage::OnScan, HandlerOrigin::Operator));
    connect(m_ui.btnPause, &QPushButton::clicked, this, guarded(&CSweepPage::OnPause, HandlerOrigin::Operator));
    ConnectScrollCodes(m_ui.scrollAmplitude, this,
                       [this](ScrollCode nCode, int nThumbPos) { OnHScroll(nCode, nThumbPos, m_ui.scrollAmplitude); });
    connect(m_ui.editStartFreq, &QLineEdit::textChanged, this, guarded(&CSweepPage::OnChangeStartFreq, HandlerOrigin::Event));
    connect(m_ui.editEndFreq, &QLineEdit::textChanged, this, guarded(&CSweepPage::OnChangeEndFreq, HandlerOrigin::Event));
    connect(m_ui.editTimeInterval, &QLineEdit::textChanged, this, guarded(&CSweepPage::OnChangeTimeInterval, HandlerOrigin::Event));
    OnInitDialog();
}

void CSweepPage::OnInitDialog()
{
    UpdateData(false);
    m_fStartFreq = 0.0f;
    m_strStepCode = QStringLiteral("00");
    m_nScanRetry = 0;
    m_nPauseRetry = 0;
    m_nContinueRetry = 0;
    m_ui.scrollAmplitude->setRange(kLowestAmplitudeVolts, kHighestAmplitudeVolts);
    m_ui.scrollAmplitude->setValue(0);
    m_bScanDone = true;
    m_bPauseDone = true;
    m_bContinueDone = true;
    g_bPauseNext = 1;
    m_bScanRetrying = false;
    m_bPauseRetrying = false;
    m_bContinueRetrying = false;
    m_bContinueReplySeen = false;
    m_fCurrentFreq = 0.0f;
    m_ui.btnPause->setEnabled(false);
}

bool CSweepPage::UpdateData(bool bSaveAndValidate)
{
    if (bSaveAndValidate) {
        m_strAmplitude = m_ui.editAmplitude->text();
        m_strStartFreq = m_ui.editStartFreq->text();
        m_strEndFreq = m_ui.editEndFreq->text();
        bool bNumber = false;
        const float fCurrentFreq = m_ui.editCurrentFreq->text().toFloat(&bNumber);
        if (!bNumber || !std::isfinite(fCurrentFreq)) {
            // The loading stops here: the fields after this one keep what
            // they held in their members.
            ShowMessageBox(this, kInvalidNumberText);
            return false;
        }
        m_fCurrentFreq = fCurrentFreq;
        m_strTimeInterval = m_ui.editTimeInterval->text();
        m_bCircular = m_ui.chkCircular->isChecked() ? 1 : 0;
        return true;
    }
    const QSignalBlocker amplitudeBlocker(m_ui.editAmplitude);
    const QSignalBlocker startBlocker(m_ui.editStartFreq);
    const QSignalBlocker endBlocker(m_ui.editEndFreq);
    const QSignalBlocker currentBlocker(m_ui.editCurrentFreq);
    const QSignalBlocker intervalBlocker(m_ui.editTimeInterval);
    SetTextIfChanged(m_ui.editAmplitude, m_strAmplitude);
    SetTextIfChanged(m_ui.editStartFreq, m_strStartFreq);
    SetTextIfChanged(m_ui.editEndFreq, m_strEndFreq);
    SetTextIfChanged(m_ui.editCurrentFreq, FormatGeneral6(m_fCurrentFreq));
    SetTextIfChanged(m_ui.editTimeInterval, m_strTimeInterval);
    m_ui.chkCircular->setChecked(m_bCircular != 0);
    return true;
}

bool CSweepPage::IsWatchRunning(int nIDEvent) const
{
    return WatchFor(nIDEvent).IsRunning();
}

bool CSweepPage::IsWatchDone(int nIDEvent) const
{
    switch (nIDEvent) {
    case kPauseWatch:
        return m_bPauseDone;
    case kContinueWatch:
        return m_bContinueDone;
    default:
        return m_bScanDone;
    }
}

const CResendWatch& CSweepPage::WatchFor(int nIDEvent) const
{
    switch (nIDEvent) {
    case kPauseWatch:
        return m_watchPause;
    case kContinueWatch:
        return m_watchContinue;
    default:
        return m_watchScan;
    }
}

CResendWatch& CSweepPage::WatchFor(int nIDEvent)
{
    return const_cast<CResendWatch&>(std::as_const(*this).WatchFor(nIDEvent));
}
