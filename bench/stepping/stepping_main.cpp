// A stepped sweep against the virtual board on a pseudo-terminal: how well
// each point keeps to its due time, as the board sees the frames arrive, at
// several dwells down to the least the line allows, and behind an adapter.
#include "board/virtual_board.h"
#include "serial/board_line.h"
#include "serial/serial_link.h"
#include "stepping/least_dwell.h"
#include "stepping/stepping_run.h"
#include "support/clock.h"
#include "support/figures.h"
#include "support/options.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// What a sweep through the checks asks: a median within 2 ms of the
// dwell, and the last point within 15 ms of its due time.
constexpr double kStepErrorLimitMs = 2.0;
constexpr double kDriftLimitMs = 15.0;

struct SweepResult {
    QList<double> arrivalsMs;
    QList<double> roundTripsMs;
    int nLate = 0;
    bool bCompleted = false;
};

SweepResult RunSweep(int nPoints, double dDwellSeconds, int nAdapterLatencyMs, double* pLeastSeconds = nullptr)
{
    SweepResult result;
    QTemporaryDir dir;
    CVirtualBoard board;
    if (!board.Open(dir.filePath(QStringLiteral("ttyVB0")))) {
        std::fprintf(stderr, "bench_stepping: %s\n", qPrintable(board.ErrorText()));
        return result;
    }
    board.SetAdapterLatency(nAdapterLatencyMs);
    QObject::connect(&board, &CVirtualBoard::FrameReceived, &board,
                     [&result] { result.arrivalsMs.append(static_cast<double>(MonotonicNs()) / 1e6); });
    CSerialLink link;
    link.Ports().AddPreferred(board.PortName(), board.PortDescription());
    link.SetAnswersAtOnce(true);
    link.SetAdapterLatency(nAdapterLatencyMs);
    link.Attach();
    SetUpBoardLine(link);
    const double dDwell = pLeastSeconds ? LeastDwellSeconds(link) : dDwellSeconds;
    if (pLeastSeconds)
        *pLeastSeconds = dDwell;

    CSteppingRun run(link);
    run.SetPoints(LogSpacedPoints(10.0, 400.0, nPoints, 1.0, dDwell));
    QObject::connect(&run, &CSteppingRun::pointDone, &run, [&result](const StepRecord& record) {
        result.roundTripsMs.append(record.dAnsweredMsecs - record.dSentMsecs);
    });
    QEventLoop loop;
    QObject::connect(&run, &CSteppingRun::finished, &loop, &QEventLoop::quit);
    if (!run.Start()) {
        std::fprintf(stderr, "bench_stepping: %s\n", qPrintable(run.ErrorText()));
        link.Detach();
        return result;
    }
    loop.exec();
    result.nLate = run.LateCount();
    result.bCompleted = run.End() == SteppingEnd::Completed;
    link.Detach();
    return result;
}

QString Ms(double dMs)
{
    return QString::number(dMs, 'g', 3) + QStringLiteral(" ms");
}

void AddFigures(QList<Figure>& figures, const QString& strWhere, double dDwellMs, const SweepResult& result)
{
    QList<double> errors;
    for (qsizetype i = 1; i < result.arrivalsMs.size(); ++i)
        errors.append(qAbs(result.arrivalsMs[i] - result.arrivalsMs[i - 1] - dDwellMs));
    const qsizetype nSteps = result.arrivalsMs.size() - 1;
    const double dDrift = nSteps > 0 ? result.arrivalsMs.last() - result.arrivalsMs.first() - nSteps * dDwellMs : 0.0;
    const QString strAt = QStringLiteral("%1 dwell%2").arg(Ms(dDwellMs), strWhere);
    const QString strUnit = QStringLiteral("ms");
    figures.append(MakeFigure(QStringLiteral("step period error, |period − dwell|, at %1").arg(strAt), strUnit,
                              errors,
                              QStringLiteral("median <= %1 ms").arg(kStepErrorLimitMs), Figure::Judged::Median,
                              kStepErrorLimitMs));
    figures.append(MakeFigure(QStringLiteral("step period error p95 at %1").arg(strAt), strUnit,
                              {Percentile(errors, 0.95)}, QString()));
    figures.append(MakeFigure(QStringLiteral("drift over %1 points at %2, |last frame − its due time|")
                                  .arg(result.arrivalsMs.size())
                                  .arg(strAt),
                              strUnit, {qAbs(dDrift)}, QStringLiteral("|drift| <= %1 ms").arg(kDriftLimitMs),
                              Figure::Judged::Max, kDriftLimitMs));
    figures.append(MakeFigure(QStringLiteral("frame to acknowledgement at %1").arg(strAt), strUnit,
                              result.roundTripsMs, QString()));
    figures.append(MakeFigure(QStringLiteral("points late at %1").arg(strAt), QString(),
                              {static_cast<double>(result.nLate)}, QString()));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    CBenchOptions options;
    const QCommandLineOption pointsOption =
        options.Add(QStringLiteral("points"), QStringLiteral("Points a sweep."), QStringLiteral("n"),
                    QStringLiteral("200"));
    options.AddOut();
    options.Process(QCoreApplication::arguments());
    const int nPoints = qMax(2, options.Value(pointsOption).toInt());

    QList<Figure> figures;
    QStringList notes;
    bool bAllCompleted = true;
    for (const double dDwell : {0.1, 0.05, 0.025}) {
        const SweepResult result = RunSweep(nPoints, dDwell, 0);
        bAllCompleted = bAllCompleted && result.bCompleted;
        AddFigures(figures, QString(), dDwell * 1000.0, result);
    }
    for (const int nLatency : {0, 16}) {
        double dLeast = 0.0;
        const SweepResult result = RunSweep(nPoints, 0.0, nLatency, &dLeast);
        bAllCompleted = bAllCompleted && result.bCompleted;
        const QString strWhere = nLatency > 0 ? QStringLiteral(" (the least) behind a %1 ms adapter").arg(nLatency)
                                              : QStringLiteral(" (the least at 9600 baud)");
        AddFigures(figures, strWhere, dLeast * 1000.0, result);
    }
    notes.append(QStringLiteral("Log sweeps of %1 points from 10 to 400 MHz at 1 V; times are the virtual board's, "
                                "as each frame arrives from the pseudo-terminal, which adds no wire time.")
                     .arg(nPoints));
    if (!bAllCompleted)
        notes.append(QStringLiteral("A sweep did not complete."));
    const bool bWritten = options.WriteFigures(options.Out(), QStringLiteral("Stepped sweep"), figures, notes);
    return bWritten && bAllCompleted ? 0 : 1;
}
