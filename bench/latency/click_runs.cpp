#include "latency/click_runs.h"

#include "latency/session.h"
#include "support/clock.h"
#include "support/run_until.h"

#include <functional>

namespace {

constexpr int kRunTimeoutMs = 3000;
// Lets the last run's traffic settle, so that runs do not overlap.
constexpr int kBetweenRunsMs = 30;
// Long enough that the board never reports during these runs.
constexpr int kNoReportsMs = 3600 * 1000;

// Clicks and waits until reacted() holds, checked after every event once
// click() has returned. False when the board did not get exactly one frame
// or nothing reacted.
bool TimeOneClick(CLatencySession& session, QAbstractButton* pButton, const std::function<bool()>& reacted,
                  ClickTimes& times)
{
    const qsizetype nFramesBefore = session.Board().Frames().size();
    qint64 nReactedNs = 0;
    bool bArmed = false;
    const qint64 nClickNs = MonotonicNs();
    pButton->click();
    const qint64 nReturnedNs = MonotonicNs();
    bArmed = true;
    const bool bReacted = RunUntil(
        session.App(), [&] { return nReactedNs != 0; }, kRunTimeoutMs,
        [&] {
            if (bArmed && nReactedNs == 0 && reacted())
                nReactedNs = MonotonicNs();
        });
    RunFor(kBetweenRunsMs);
    const QList<BoardStamp> frames = session.Board().Frames();
    if (!bReacted || frames.size() != nFramesBefore + 1)
        return false;
    const qint64 nFrameNs = frames.last().nNs;
    times.wireUs.append((nFrameNs - nClickNs) / 1e3);
    times.handlerUs.append((nReturnedNs - nClickNs) / 1e3);
    times.reactionMs.append((nReactedNs - nFrameNs) / 1e6);
    return true;
}

} // namespace

ClickTimes RunSendClicks(CLatencySession& session, int nRuns)
{
    CDriversControlDlg& window = session.Window();
    window.Controls().tabPages->setCurrentIndex(0);
    CSinglePointPage& page = window.SinglePointPage();
    page.Controls().editAmplitude->setText(QStringLiteral("1"));
    page.Controls().editFrequency->setText(QStringLiteral("100"));
    ClickTimes times;
    for (int i = 0; i < nRuns; ++i) {
        if (!TimeOneClick(session, page.Controls().btnSend, [&page] { return !page.IsWatchRunning(); }, times))
            ++times.nFailedRuns;
    }
    return times;
}

ClickTimes RunScanClicks(CLatencySession& session, int nRuns)
{
    session.Board().SetReportInterval(kNoReportsMs);
    CDriversControlDlg& window = session.Window();
    window.Controls().tabPages->setCurrentIndex(1);
    const Ui::CSweepPage& ui = window.SweepPage().Controls();
    ui.editAmplitude->setText(QStringLiteral("1"));
    ui.editStartFreq->setText(QStringLiteral("100"));
    ui.editEndFreq->setText(QStringLiteral("300"));
    ui.editTimeInterval->setText(QStringLiteral("5"));
    ClickTimes times;
    for (int i = 0; i < nRuns; ++i) {
        // The scan watch keeps ticking: it has reacted once it took the acknowledgement.
        const CSweepPage& page = window.SweepPage();
        const bool bTimed = TimeOneClick(
            session, ui.btnScan, [&page] { return page.IsWatchDone(CSweepPage::kScanWatch); }, times);
        if (!session.ReturnToIdle() || !bTimed)
            ++times.nFailedRuns;
    }
    return times;
}
