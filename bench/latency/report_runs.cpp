#include "latency/report_runs.h"

#include "encoding/number_text.h"
#include "encoding/words.h"
#include "latency/session.h"
#include "pages/ms_comm.h"
#include "support/clock.h"
#include "support/run_until.h"

#include <QHash>

namespace {

constexpr int kAckTimeoutMs = 3000;

struct TextChange {
    qint64 nNs;
    QString strText;
};

} // namespace

ReportTimes RunReports(CLatencySession& session, int nRuns, int nReportMs)
{
    session.Board().SetReportInterval(nReportMs);
    CDriversControlDlg& window = session.Window();
    window.Controls().tabPages->setCurrentIndex(1);
    const Ui::CSweepPage& ui = window.SweepPage().Controls();

    QList<qint64> receiveNs;
    // Connected after the window's own handler, so it runs once that is done.
    const QMetaObject::Connection connection = QObject::connect(&g_msComm, &CSerialLink::replyReceived, &session.Wake(),
                                                                [&receiveNs] { receiveNs.append(MonotonicNs()); });
    QList<TextChange> changes;
    QString strShown = ui.editCurrentFreq->text();
    ReportTimes times;

    ui.btnScan->click();
    const CSweepPage& page = window.SweepPage();
    if (RunUntil(session.App(), [&page] { return page.IsWatchDone(CSweepPage::kScanWatch); }, kAckTimeoutMs)) {
        RunUntil(
            session.App(), [&] { return changes.size() >= nRuns; }, nRuns * nReportMs * 4,
            [&] {
                const QString strText = ui.editCurrentFreq->text();
                if (strText != strShown) {
                    changes.append({MonotonicNs(), strText});
                    strShown = strText;
                }
            });
    }
    QObject::disconnect(connection);
    session.ReturnToIdle();

    // The text each report makes, and when it was written.
    QHash<QString, qint64> writtenNs;
    for (const BoardStamp& report : session.Board().Reports())
        writtenNs.insert(FormatGeneral6(TuningWordToFrequency(report.dwValue)), report.nNs);
    for (const TextChange& change : changes) {
        const auto written = writtenNs.constFind(change.strText);
        if (written == writtenNs.constEnd() || *written > change.nNs) {
            ++times.nUnmatched;
            continue;
        }
        qint64 nReceivedNs = 0;
        for (const qint64 nNs : receiveNs) {
            if (nNs <= change.nNs)
                nReceivedNs = nNs;
        }
        times.fromWriteMs.append((change.nNs - *written) / 1e6);
        times.fromReceiveMs.append((change.nNs - nReceivedNs) / 1e6);
    }
    return times;
}
