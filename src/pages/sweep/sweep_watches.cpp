#include "pages/sweep/sweep_page.h"

#include "encoding/words.h"
#include "pages/caption.h"
#include "pages/port_fault.h"
#include "pages/run_flags.h"
#include "protocol/reported_word.h"
#include "pages/reply_state.h"

void CSweepPage::OnWatchTicked(int nIDEvent)
{
    if (nIDEvent == kContinueWatch)
        m_bContinueReplySeen = true;
    if (g_bReplyArrived)
        UpdateReportedFrequency(nIDEvent != kScanWatch);
    if (g_bCloseAcked) {
        ReturnToIdle(nIDEvent == kPauseWatch);
        g_bCloseAcked = 0;
    }
    if (!g_bScanning) {
        WatchFor(nIDEvent).ShutDown();
        ReturnToIdle(nIDEvent == kPauseWatch);
    }
}

// With no watch left to do it, the buttons go back to idle here, so that the
// operator can scan again once the port is back.
void CSweepPage::OnResendFailed(const QString& strWhy, bool bPortFault)
{
    ReturnToIdle(true);
    ShowFailure(this, strWhy, bPortFault);
}

void CSweepPage::UpdateReportedFrequency(bool bEndOfSweepTest)
{
    g_strReply.remove(QLatin1Char(' '));
    const std::optional<quint32> word = ReportedTuningWord(g_strReply);
    if (!word)
        return;
    const double dFrequency = TuningWordToFrequencyExact(*word);
    m_fCurrentFreq = static_cast<float>(dFrequency);
    // Tested before rounding: 028F5C28 is 9.99999978, not shown although
    // its float is 10.0.
    if (!IsShownFrequency(dFrequency))
        return;
    g_bReplyArrived = 0;
    UpdateData(false);
    if (bEndOfSweepTest && static_cast<double>(m_fEndFreq) - m_dStepMHz < static_cast<double>(m_fCurrentFreq)) {
        m_ui.btnScan->setEnabled(true);
        m_ui.btnPause->setEnabled(false);
    }
}

void CSweepPage::ReturnToIdle(bool bRestorePause)
{
    m_ui.btnScan->setEnabled(true);
    m_ui.btnPause->setEnabled(false);
    if (bRestorePause) {
        g_bPauseNext = 1;
        SetCaption(m_ui.btnPause, QStringLiteral("Pause"));
    }
}
