#include "latency/click_runs.h"
#include "latency/report_runs.h"
#include "latency/session.h"
#include "serial/watch_policies.h"
#include "support/figures.h"
#include "support/options.h"
#include "support/probe_application.h"

#include <cstdio>

namespace {

constexpr int kReportMs = 113;
constexpr double kWireLimitUs = 1000;
constexpr double kSlackMs = 2;
constexpr double kPointWatchMs = kPointWatchPolicy.nPeriodMsecs;
constexpr double kSweepWatchMs = kSweepWatchPolicy.nPeriodMsecs;
// 3.5 characters at 9600 baud, rounded up: the quiet a reply must end with.
constexpr double kIdleGapMs = 4;

} // namespace

int main(int argc, char* argv[])
{
    CProbeApplication app(argc, argv);
    CBenchOptions options;
    options.AddRuns(50);
    const QCommandLineOption clickOut =
        options.Add(QStringLiteral("click-out"), QStringLiteral("Figures of the clicks."), QStringLiteral("file"));
    const QCommandLineOption reactionOut = options.Add(
        QStringLiteral("reaction-out"), QStringLiteral("Figures of the reactions."), QStringLiteral("file"));
    options.Process(QCoreApplication::arguments());
    const int nRuns = options.Runs();

    CLatencySession session(app);
    QString strError;
    if (!session.Start(strError)) {
        std::fprintf(stderr, "bench_latency: %s\n", qPrintable(strError));
        return 1;
    }
    const ClickTimes send = RunSendClicks(session, nRuns);
    const ClickTimes scan = RunScanClicks(session, nRuns);
    const ReportTimes reports = RunReports(session, nRuns, kReportMs);

    const QString strWire = QStringLiteral("< 1 ms");
    const QList<Figure> clicks = {
        MakeFigure(QStringLiteral("Send click -> last byte at the board"), QStringLiteral("µs"), send.wireUs, strWire,
            Figure::Judged::Median, kWireLimitUs),
        MakeFigure(QStringLiteral("Scan click -> last byte at the board"), QStringLiteral("µs"), scan.wireUs, strWire,
            Figure::Judged::Median, kWireLimitUs),
    };
    const QStringList clickNotes = {
        QStringLiteral("click() itself returned after a median of %1 µs (Send) and %2 µs (Scan); the rest is the "
                       "pseudo-terminal and the board's thread waking up.")
            .arg(Summarize(send.handlerUs).dMedian, 0, 'f', 0)
            .arg(Summarize(scan.handlerUs).dMedian, 0, 'f', 0),
        QStringLiteral("Runs that failed (no frame, a resend or no reaction): Send %1, Scan %2; message boxes: %3.")
            .arg(send.nFailedRuns)
            .arg(scan.nFailedRuns)
            .arg(session.Messages().size()),
    };
    const QList<Figure> reactions = {
        MakeFigure(QStringLiteral("4F 4B -> single-point watch stops"), QStringLiteral("ms"), send.reactionMs,
            QStringLiteral("<= %1 + %2 ms").arg(kPointWatchMs).arg(kSlackMs), Figure::Judged::Max, kPointWatchMs + kSlackMs),
        MakeFigure(QStringLiteral("4F 4B -> scan watch takes it"), QStringLiteral("ms"), scan.reactionMs,
            QStringLiteral("<= %1 + %2 ms").arg(kSweepWatchMs).arg(kSlackMs), Figure::Judged::Max, kSweepWatchMs + kSlackMs),
        MakeFigure(QStringLiteral("report received -> Current Frequency shows it"), QStringLiteral("ms"), reports.fromReceiveMs,
            QStringLiteral("<= %1 + %2 ms").arg(kSweepWatchMs).arg(kSlackMs), Figure::Judged::Max, kSweepWatchMs + kSlackMs),
        MakeFigure(QStringLiteral("report written -> Current Frequency shows it"), QStringLiteral("ms"), reports.fromWriteMs,
            QStringLiteral("<= %1 + %2 (idle gap) + %3 ms").arg(kSweepWatchMs).arg(kIdleGapMs).arg(kSlackMs), Figure::Judged::Max, kSweepWatchMs + kIdleGapMs + kSlackMs),
    };
    const QStringList reactionNotes = {
        QStringLiteral("A reply counts as received once the line has been idle 3.5 characters (4 ms at 9600 baud), so "
                       "that a reply is never split; the watches then act on their next tick. Reports every %1 ms; "
                       "shown texts no report explains: %2.")
            .arg(kReportMs)
            .arg(reports.nUnmatched),
    };
    const bool bWritten =
        options.WriteFigures(options.Value(clickOut), QStringLiteral("click to wire, line pacing off"), clicks,
                             clickNotes)
        && options.WriteFigures(options.Value(reactionOut), QStringLiteral("reply to reaction"), reactions,
                                reactionNotes);
    if (!bWritten)
        return 1;
    return 0;
}
