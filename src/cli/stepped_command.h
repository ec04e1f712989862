#pragma once

#include "cli/cli_options.h"
#include "cli/exit_code.h"
#include "stepping/step_points.h"

#include <QString>
#include <QStringList>

class CRunOutput;
class CTrafficLog;

// A stepped sweep or a point list, checked before anything reaches the port.
struct SteppedPlan {
    StepPoints points;
    int nRepeat = 1;
    // What --clamp corrected, for the operator.
    QStringList notices;
};

// Throws InputError for a value that is no number or out of range, or a
// point list with a bad line.
SteppedPlan PlanStepped(const CliOptions& options);

struct SteppedOutcome {
    ExitCode code = ExitCode::Success;
    QString strMessage;
};

// Opens the board's line, runs the points to their end and tells each one
// to the output.
SteppedOutcome RunStepped(const CliOptions& options, const SteppedPlan& plan, CRunOutput& output, CTrafficLog& log);
