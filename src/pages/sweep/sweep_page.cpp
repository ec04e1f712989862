#include "pages/sweep/sweep_page.h"

#include "app/handler_guard.h"
#include "encoding/number_text.h"

#include <QSignalBlocker>

#include <cmath>

unsigned char g_bPauseNext = 0;

namespace {

constexpr int kWatchMsecs = 50;
// The amplitude bar's range, in whole volts.
constexpr int kLowestBarPos = 0;
constexpr int kHighestBarPos = 4;

// Rewriting an unchanged text would move the cursor of a field being typed in.
void SetTextIfChanged(QLineEdit* pEdit, const QString& strText)
{
    if (pEdit->text() != strText)
        pEdit->setText(strText);
}

} // namespace

CSweepPage::CSweepPage(QWidget* pParent)
    : QWidget(pParent)
{
    m_ui.setupUi(this);
    const auto guarded = [this](void (CSweepPage::*pHandler)()) {
        return [this, pHandler] { RunGuarded(this, [this, pHandler] { (this->*pHandler)(); }); };
    };
    const std::pair<QTimer*, int> timers[] = {
        {&m_timerScanWatch, kScanWatch}, {&m_timerPauseWatch, kPauseWatch}, {&m_timerContinueWatch, kContinueWatch}};
    for (const auto& [pTimer, nIDEvent] : timers) {
        pTimer->setInterval(kWatchMsecs);
        // A coarse timer may tick 5% late, past the period the watch keeps.
        pTimer->setTimerType(Qt::PreciseTimer);
        connect(pTimer, &QTimer::timeout, this,
                [this, nId = nIDEvent] { RunGuarded(this, [this, nId] { OnTimer(nId); }, HandlerOrigin::Watch); });
    }
    connect(m_ui.editAmplitude, &QLineEdit::textChanged, this, guarded(&CSweepPage::OnChangeAmplitude));
    connect(m_ui.cmbInterval, &CDropDownComboBox::DropDown, this, guarded(&CSweepPage::OnDropdownInterval));
    connect(m_ui.btnScan, &QPushButton::clicked, this, guarded(&CSweepPage::OnScan));
    connect(m_ui.btnPause, &QPushButton::clicked, this, guarded(&CSweepPage::OnPause));
    ConnectScrollCodes(m_ui.scrollAmplitude, this,
                       [this](ScrollCode nCode, int nThumbPos) { OnHScroll(nCode, nThumbPos, m_ui.scrollAmplitude); });
    connect(m_ui.editStartFreq, &QLineEdit::textChanged, this, guarded(&CSweepPage::OnChangeStartFreq));
    connect(m_ui.editEndFreq, &QLineEdit::textChanged, this, guarded(&CSweepPage::OnChangeEndFreq));
    connect(m_ui.editTimeInterval, &QLineEdit::textChanged, this, guarded(&CSweepPage::OnChangeTimeInterval));
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
    m_ui.scrollAmplitude->setRange(kLowestBarPos, kHighestBarPos);
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

void CSweepPage::UpdateData(bool bSaveAndValidate)
{
    if (bSaveAndValidate) {
        m_strAmplitude = m_ui.editAmplitude->text();
        m_strStartFreq = m_ui.editStartFreq->text();
        m_strEndFreq = m_ui.editEndFreq->text();
        // A text that is not wholly a number keeps the old value; the page
        // writes this field itself, so a message would only be noise.
        bool bNumber = false;
        const float fCurrentFreq = m_ui.editCurrentFreq->text().toFloat(&bNumber);
        if (bNumber && std::isfinite(fCurrentFreq))
            m_fCurrentFreq = fCurrentFreq;
        m_strTimeInterval = m_ui.editTimeInterval->text();
        m_bCircular = m_ui.chkCircular->isChecked() ? 1 : 0;
        return;
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
}

bool CSweepPage::IsWatchRunning(int nIDEvent) const
{
    switch (nIDEvent) {
    case kScanWatch:
        return m_timerScanWatch.isActive();
    case kPauseWatch:
        return m_timerPauseWatch.isActive();
    case kContinueWatch:
        return m_timerContinueWatch.isActive();
    default:
        return false;
    }
}
