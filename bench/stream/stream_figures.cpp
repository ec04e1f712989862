#include "stream/stream_figures.h"

#include "encoding/number_text.h"
#include "encoding/words.h"
#include "stream/report_words.h"

#include <QHash>

namespace {

constexpr double kIdleLimitPercent = 0.1;
// Just before a tick, the report shown came one watch period ago, handed
// over by the receive path's 16 ms drain of a line that never falls quiet,
// and may have been followed by one more report (4.17 ms); 2 ms on top.
constexpr double kLagLimitMs = 50 + 16 + 4.17 + 2;
// A new report at (nearly) every 50 ms tick.
constexpr double kUpdatesPerSecondLimit = 19;
// Not a target: a field that stood still for more than a second is broken.
constexpr double kMostTicksWithoutNewReport = 20;

// The report each shown text stands for: the latest one written before it
// was shown. Texts repeat once the stream wraps around.
QHash<QString, QList<qint64>> WrittenByText(const BoardLog& log)
{
    QHash<QString, QList<qint64>> written;
    for (qsizetype k = 0; k < log.writtenNs.size(); ++k)
        written[FormatGeneral6(TuningWordToFrequency(StreamReportWord(k)))].append(log.writtenNs[k]);
    return written;
}

// The report a text shown at nAtNs stands for: the latest written before
// then with that text; -1 when there is none, or when it is older than
// nNewestNs, a report shown already. The field shows reports in the order
// they came, so a step back is two reports mixed that read as an old one.
qint64 ReportShown(const QHash<QString, QList<qint64>>& written, const QString& strText, qint64 nAtNs,
                   qint64 nNewestNs)
{
    qint64 nWrittenNs = -1;
    for (const qint64 nNs : written.value(strText)) {
        if (nNs <= nAtNs)
            nWrittenNs = nNs;
    }
    return nWrittenNs >= nNewestNs ? nWrittenNs : -1;
}

// What the scan ticks of the measured time showed, each against the tick
// before it.
struct TickCounts {
    int nTicks = 0;
    int nNewReport = 0;
    int nNoReport = 0;
    int nLongestWithoutNew = 0;
};

TickCounts CountTicks(const WindowRecord& record, const QHash<QString, QList<qint64>>& written)
{
    TickCounts counts;
    qint64 nNewestShownNs = -1;
    int nWithoutNew = 0;
    // Each note is what the tick before it showed: the first note of the
    // stream tells of a tick before the first report.
    bool bFirst = true;
    for (const ShownText& tick : record.tickTexts) {
        if (tick.nNs <= record.nFirstReportNs || tick.nNs > record.nMeasuredUntilNs)
            continue;
        if (bFirst) {
            bFirst = false;
            nNewestShownNs = ReportShown(written, tick.strText, tick.nNs, -1);
            continue;
        }
        ++counts.nTicks;
        const qint64 nWrittenNs = ReportShown(written, tick.strText, tick.nNs, nNewestShownNs);
        if (nWrittenNs < 0)
            ++counts.nNoReport;
        if (nWrittenNs > nNewestShownNs) {
            ++counts.nNewReport;
            nNewestShownNs = nWrittenNs;
            nWithoutNew = 0;
        } else {
            counts.nLongestWithoutNew = qMax(counts.nLongestWithoutNew, ++nWithoutNew);
        }
    }
    return counts;
}

} // namespace

QList<Figure> StreamFigures(const WindowRecord& record, const BoardLog& log, const StreamFloors& floors,
                            int nAdapterLatencyMs, QStringList& notes)
{
    const QHash<QString, QList<qint64>> written = WrittenByText(log);
    // How far behind the stream the field was just before each new text.
    QList<double> lagsMs;
    QList<double> updatesPerSecond;
    qint64 nShownWrittenNs = -1;
    qint64 nNewestShownNs = -1;
    int nUnexplained = 0;
    for (const ShownText& shown : record.shown) {
        if (shown.nNs < record.nFirstReportNs || shown.nNs > record.nMeasuredUntilNs)
            continue;
        const auto second = static_cast<qsizetype>((shown.nNs - record.nFirstReportNs) / 1000000000);
        while (updatesPerSecond.size() <= second)
            updatesPerSecond.append(0);
        ++updatesPerSecond[second];
        if (nShownWrittenNs >= 0)
            lagsMs.append((shown.nNs - nShownWrittenNs) / 1e6);
        nShownWrittenNs = ReportShown(written, shown.strText, shown.nNs, nNewestShownNs);
        if (nShownWrittenNs < 0)
            ++nUnexplained;
        nNewestShownNs = qMax(nNewestShownNs, nShownWrittenNs);
    }
    if (nShownWrittenNs >= 0)
        lagsMs.append((record.nMeasuredUntilNs - nShownWrittenNs) / 1e6);
    // The last second is cut short by the end of the measurement.
    if (updatesPerSecond.size() > 1)
        updatesPerSecond.removeLast();

    const QString strLastText = FormatGeneral6(TuningWordToFrequency(StreamReportWord(log.writtenNs.size() - 1)));
    const qint64 nBytesSent = 4 * log.writtenNs.size() + 2;
    const double dLostBytes = static_cast<double>(nBytesSent - record.nBytesReceived);

    notes.append(QStringLiteral("%1 reports written back to back (one every 4.17 ms, the line time of 4 bytes at 9600 "
                                "baud); the window took them in %2 receive events and showed %3 of them: the scan "
                                "watch shows the latest report once every 50 ms.")
                     .arg(log.writtenNs.size())
                     .arg(record.nReceiveEvents - 1)
                     .arg(record.shown.size()));
    notes.append(QStringLiteral("Frames the board received during the stream: %1; shown texts no report explains: %2; "
                                "message boxes: %3; last report %4, shown at the end: %5.")
                     .arg(log.nFramesDuringStream)
                     .arg(nUnexplained)
                     .arg(record.messages.size())
                     .arg(strLastText, record.strFinalText));
    const TickCounts ticks = CountTicks(record, written);
    notes.append(QStringLiteral("Of %1 scan ticks, %2 showed a report newer than the tick before, %3 a text no report "
                                "explains, and the rest the field as it was; at most %4 ticks in a row showed no new "
                                "report.")
                     .arg(ticks.nTicks)
                     .arg(ticks.nNewReport)
                     .arg(ticks.nNoReport)
                     .arg(ticks.nLongestWithoutNew));
    QString strLagTarget = QStringLiteral("<= 50 + 16 + 4.17 + 2 ms");
    if (nAdapterLatencyMs > 0) {
        notes.append(QStringLiteral("The board wrote through a USB-serial adapter with a %1 ms latency timer, which took "
                                    "the bytes in at the line's pace and handed them on at each tick of its timer or "
                                    "once 62 waited; a report counts as written once its last byte was in the "
                                    "adapter, and may wait there one latency more before the window has it. The "
                                    "window was told the latency, as for an adapter the system does not report.")
                         .arg(nAdapterLatencyMs));
        strLagTarget = QStringLiteral("<= 50 + 16 + %1 + 4.17 + 2 ms").arg(nAdapterLatencyMs);
    }
    const CpuTarget cpu = StreamCpuTarget(floors);
    notes.append(cpu.strNote);
    const auto share = [&ticks](int nCount) { return ticks.nTicks > 0 ? 100.0 * nCount / ticks.nTicks : 0; };

    return {
        MakeFigure(QStringLiteral("CPU while idle, port open"), QStringLiteral("% core"), {record.dIdleCpuPercent},
            QStringLiteral("< 0.1 %"), Figure::Judged::Median, kIdleLimitPercent),
        MakeFigure(QStringLiteral("CPU during the stream, per second"), QStringLiteral("% core"), record.cpuPercentPerSecond,
            cpu.strTarget, cpu.judged, cpu.dLimit),
        MakeFigure(QStringLiteral("CPU during the stream, whole"), QStringLiteral("% core"), {record.dCpuPercentWhole},
            cpu.strTarget, cpu.judged, cpu.dLimit),
        MakeFigure(QStringLiteral("Current Frequency behind the stream, at worst"), QStringLiteral("ms"), lagsMs,
            strLagTarget, Figure::Judged::Max, kLagLimitMs + nAdapterLatencyMs),
        MakeFigure(QStringLiteral("Current Frequency updates per second"), QStringLiteral("/s"), updatesPerSecond,
            QStringLiteral(">= 19 (each tick)"), Figure::Judged::Median, kUpdatesPerSecondLimit, false),
        MakeFigure(QStringLiteral("scan ticks showing a newer report"), QStringLiteral("%"), {share(ticks.nNewReport)},
            QStringLiteral("shown"), Figure::Judged::None, 0),
        MakeFigure(QStringLiteral("scan ticks showing a text no report explains"), QStringLiteral("%"),
            {share(ticks.nNoReport)}, QStringLiteral("shown"), Figure::Judged::None, 0),
        MakeFigure(QStringLiteral("scan ticks in a row without a new report"), QStringLiteral("ticks"),
            {static_cast<double>(ticks.nLongestWithoutNew)}, QStringLiteral("<= 20 (1 s)"), Figure::Judged::Max,
            kMostTicksWithoutNewReport),
        MakeFigure(QStringLiteral("shown texts no report explains"), QStringLiteral("texts"),
            {static_cast<double>(nUnexplained)}, QStringLiteral("shown"), Figure::Judged::None, 0),
        MakeFigure(QStringLiteral("bytes written but not taken in"), QStringLiteral("bytes"), {dLostBytes}, QStringLiteral("0"),
            Figure::Judged::Max, 0),
        MakeFigure(QStringLiteral("board writes held up by a full line"), QStringLiteral("writes"),
            {static_cast<double>(log.nBlockedWrites)}, QStringLiteral("0"), Figure::Judged::Max, 0),
        MakeFigure(QStringLiteral("last report shown after the stream"), QStringLiteral("yes/no"),
            {record.strFinalText == strLastText ? 1.0 : 0.0}, QStringLiteral("yes"), Figure::Judged::Min, 1, false),
    };
}
