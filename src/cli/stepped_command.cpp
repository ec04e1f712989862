#include "cli/stepped_command.h"

#include "board/interrupt_watch.h"
#include "cli/board_link.h"
#include "cli/command_plan.h"
#include "cli/point_list_file.h"
#include "cli/run_output.h"
#include "cli/strict_number.h"
#include "protocol/limits.h"
#include "serial/comm_error.h"
#include "stepping/least_dwell.h"
#include "stepping/stepping_run.h"

#include <QEventLoop>
#include <QJsonObject>

namespace {

constexpr int kMostRepeats = 1000000;

// The least on the board's own line; an adapter's latency, known once the
// port is open, raises it, and the run refuses what is below that.
double LineLeastDwell()
{
    return LeastDwellSeconds(LineSettings(), 0);
}

std::optional<double> ReadOptional(const CliOptions& options, const NumberRule& rule, QStringList& notices)
{
    if (!options.values.contains(rule.strOption))
        return std::nullopt;
    return ReadOptionNumber(options, rule, notices);
}

NumberRule DwellRule()
{
    return {QStringLiteral("dwell"), QStringLiteral("s"), LineLeastDwell(), kMostDwellSeconds, false};
}

NumberRule FrequencyRule(const char* pszOption)
{
    return {QString::fromLatin1(pszOption), QStringLiteral("MHz"), kLowestFrequencyMHz, kHighestFrequencyMHz, false};
}

QString Number(double dValue)
{
    return QString::number(dValue, 'g', 10);
}

QJsonObject RecordObject(const StepRecord& record)
{
    return {{QStringLiteral("pass"), record.nPass},
            {QStringLiteral("point"), record.nPoint},
            {QStringLiteral("frequencyMHz"), record.point.dFrequencyMHz},
            {QStringLiteral("amplitudeV"), record.point.dAmplitudeVolts},
            {QStringLiteral("dwellSeconds"), record.point.dDwellSeconds},
            {QStringLiteral("dueSeconds"), record.dDueMsecs / 1000.0},
            {QStringLiteral("sentSeconds"), record.dSentMsecs / 1000.0},
            {QStringLiteral("answeredSeconds"), record.dAnsweredMsecs / 1000.0},
            {QStringLiteral("late"), record.bLate},
            {QStringLiteral("frames"), record.nFrames},
            {QStringLiteral("hex"), record.strFrame},
            {QStringLiteral("result"), QString::fromLatin1(WatchResultName(record.result))}};
}

QString RecordLine(const StepRecord& record, int nPoints, int nRepeat)
{
    const QString strPass = nRepeat == 1 ? QString() : QStringLiteral("pass %1, ").arg(record.nPass);
    return QString::asprintf("%9.3f  %spoint %d of %d  %s MHz  %s V  %s%s", record.dSentMsecs / 1000.0,
                             qPrintable(strPass), record.nPoint, nPoints,
                             qPrintable(Number(record.point.dFrequencyMHz)),
                             qPrintable(Number(record.point.dAmplitudeVolts)), WatchResultName(record.result),
                             record.bLate ? " (late)" : "");
}

QString ProgressLine(int nPoint, int nPoints, double dFrequencyMHz, double dMsecsLeft)
{
    return QString::asprintf("point %d of %d  %s MHz  %.1f s left", nPoint, nPoints,
                             qPrintable(Number(dFrequencyMHz)), dMsecsLeft / 1000.0);
}

SteppedOutcome RunOnLink(CSerialLink& link, const SteppedPlan& plan, CRunOutput& output, int& nFrames,
                         CInterruptWatch& interruptWatch)
{
    CSteppingRun run(link);
    run.SetPoints(plan.points);
    run.SetRepeat(plan.nRepeat);
    const int nPoints = static_cast<int>(plan.points.size());
    QObject::connect(&run, &CSteppingRun::frameWritten, &run, [&output, &nFrames](const QString& strFrame, int nRetry) {
        ++nFrames;
        output.FrameRecorded(nRetry, strFrame);
    });
    QObject::connect(&run, &CSteppingRun::pointDone, &run,
                     [&output, nPoints, &plan](const StepRecord& record) {
                         output.PointDone(RecordObject(record), RecordLine(record, nPoints, plan.nRepeat));
                     });
    QObject::connect(&run, &CSteppingRun::progress, &run,
                     [&output](int nPoint, int nCount, double dFrequencyMHz, double dMsecsLeft) {
                         output.Progress(ProgressLine(nPoint, nCount, dFrequencyMHz, dMsecsLeft));
                     });
    bool bInterrupted = false;
    QObject::connect(&interruptWatch, &CInterruptWatch::Interrupted, &run, [&run, &bInterrupted] {
        bInterrupted = true;
        run.Abort();
    });
    if (!run.Start())
        return {ExitCode::BadInput, run.ErrorText()};
    QEventLoop loop;
    QObject::connect(&run, &CSteppingRun::finished, &loop, &QEventLoop::quit);
    loop.exec();
    output.SetLateCount(run.LateCount());
    if (bInterrupted && run.End() == SteppingEnd::Aborted) {
        const qint64 nPlanned = qint64(nPoints) * plan.nRepeat;
        return {ExitCode::NoAcknowledgement,
                QStringLiteral("Interrupted after %1 of %2 points sent.").arg(run.PointsSent()).arg(nPlanned)};
    }
    switch (run.End()) {
    case SteppingEnd::Completed:
    case SteppingEnd::Aborted:
        return {ExitCode::Success, QString()};
    case SteppingEnd::NotAcknowledged:
        return {ExitCode::NoAcknowledgement, run.ErrorText()};
    case SteppingEnd::PortFailed:
        break;
    }
    return {ExitCode::PortFailure, run.ErrorText()};
}

} // namespace

SteppedPlan PlanStepped(const CliOptions& options)
{
    SteppedPlan plan;
    const std::optional<double> repeat =
        ReadOptional(options, {QStringLiteral("repeat"), QString(), 1, kMostRepeats, true}, plan.notices);
    plan.nRepeat = repeat ? static_cast<int>(*repeat) : 1;
    if (options.strCommand == QLatin1String("list")) {
        PointListRules rules;
        rules.amplitudeVolts = ReadOptional(options, AmplitudeRule(), plan.notices);
        rules.dwellSeconds = ReadOptional(options, DwellRule(), plan.notices);
        rules.dLeastDwellSeconds = LineLeastDwell();
        rules.bClamp = options.bClamp;
        plan.points = ReadPointList(ReadPointListFile(options.strFile), rules, plan.notices);
        return plan;
    }
    const double dStart = ReadOptionNumber(options, FrequencyRule("start"), plan.notices);
    const double dEnd = ReadOptionNumber(options, FrequencyRule("end"), plan.notices);
    const NumberRule pointsRule{QStringLiteral("points"), QString(), kLeastLogPoints, kMostLogPoints, true};
    const double dPoints = ReadOptionNumber(options, pointsRule, plan.notices);
    const double dDwell = ReadOptionNumber(options, DwellRule(), plan.notices);
    const double dAmplitude = ReadOptionNumber(options, AmplitudeRule(), plan.notices);
    plan.points = LogSpacedPoints(dStart, dEnd, static_cast<int>(dPoints), dAmplitude, dDwell);
    return plan;
}

SteppedOutcome RunStepped(const CliOptions& options, const SteppedPlan& plan, CRunOutput& output, CTrafficLog& log)
{
    // Watching before the port opens: a signal from then on ends the run in order.
    CInterruptWatch interruptWatch;
    CBoardLink link;
    SteppedOutcome outcome;
    int nFrames = 0;
    try {
        link.Open(options, output, &log);
        outcome = RunOnLink(link.Link(), plan, output, nFrames, interruptWatch);
    } catch (const CommError& error) {
        outcome = {ExitCode::PortFailure, QString::fromStdString(error.what())};
    }
    if (link.HasBoard())
        output.BoardReceived(link.BoardFrames(nFrames));
    return outcome;
}
