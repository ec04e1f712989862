#include "pages/sweep/reported_frequency.h"
#include "pages/sweep/sweep_page.h"

#include "app/globals.h"
#include "encoding/words.h"
#include "protocol/reply_text.h"

namespace {

// Resends after the first frame; the last goes out with count 09 and its
// answer is never tested.
constexpr int kResendLimit = 8;
// Reported frequencies shown: strictly between these, in MHz.
constexpr double kLowestShown = 10.0;
constexpr double kHighestShown = 400.0;

} // namespace

CSweepPage::Watch CSweepPage::WatchFor(int nIDEvent)
{
    switch (nIDEvent) {
    case kPauseWatch:
        return {m_timerPauseWatch, m_nPauseRetry, m_bPauseDone, m_bPauseRetrying, &m_timerScanWatch};
    case kContinueWatch:
        return {m_timerContinueWatch, m_nContinueRetry, m_bContinueDone, m_bContinueRetrying, &m_timerPauseWatch};
    default:
        return {m_timerScanWatch, m_nScanRetry, m_bScanDone, m_bScanRetrying, nullptr};
    }
}

void CSweepPage::OnTimer(int nIDEvent)
{
    if (nIDEvent < kScanWatch || nIDEvent > kContinueWatch)
        return;
    const Watch watch = WatchFor(nIDEvent);
    if (watch.pStopFirst)
        watch.pStopFirst->stop();
    // An empty text means nothing has arrived since the last frame.
    if (g_strReply.isEmpty())
        return;
    if (!watch.bDone) {
        if (IsAcknowledgement(g_strReply)) {
            watch.nRetry = 0;
            watch.bRetrying = false;
            watch.bDone = true;
        } else {
            ResendFrom(nIDEvent, watch);
        }
    }
    if (watch.nRetry > kResendLimit)
        EndWatch(watch);
    if (nIDEvent == kContinueWatch)
        m_bContinueReplySeen = true;
    if (g_bReplyArrived)
        UpdateReportedFrequency(nIDEvent != kScanWatch);
    if (g_bCloseAcked) {
        ReturnToIdle(nIDEvent == kPauseWatch);
        g_bCloseAcked = 0;
    }
    if (!g_bScanning) {
        watch.timer.stop();
        watch.nRetry = 0;
        ReturnToIdle(nIDEvent == kPauseWatch);
    }
}

void CSweepPage::ResendFrom(int nIDEvent, Watch watch)
{
    ++watch.nRetry;
    watch.bRetrying = true;
    // OnPause toggles the flag, so it is set back for the same frame again.
    if (nIDEvent == kPauseWatch)
        g_bPauseNext = 1;
    else if (nIDEvent == kContinueWatch)
        g_bPauseNext = 0;
    try {
        if (nIDEvent == kScanWatch)
            OnScan();
        else
            OnPause();
    } catch (...) {
        // A port that refuses one resend refuses the next: end the watch
        // before the failure is shown, or every tick shows it. With no watch
        // left to do it, the buttons go back to idle here, so that the
        // operator can scan again once the port is back.
        EndWatch(watch);
        ReturnToIdle(true);
        throw;
    }
}

void CSweepPage::EndWatch(Watch watch)
{
    watch.timer.stop();
    watch.bDone = true;
    watch.bRetrying = false;
    watch.nRetry = 0;
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
    if (!(dFrequency > kLowestShown && dFrequency < kHighestShown))
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
        m_ui.btnPause->setText(QStringLiteral("Pause"));
    }
}
