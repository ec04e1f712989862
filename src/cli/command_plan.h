#pragma once

#include "cli/cli_options.h"
#include "cli/strict_number.h"
#include "serial/watch_policies.h"

#include <QString>
#include <QStringList>

#include <functional>

struct CommandPlan {
    // The frame text without its CRC, for a retry count.
    std::function<QString(int nRetry)> compose;
    // As the window's watch for that frame.
    WatchPolicy policy;
    // What was corrected on the way, for the operator.
    QStringList notices;
};

// Checks the values of a frame command with the window's rules. Throws
// InputError for a value the board cannot be given.
CommandPlan PlanCommand(const CliOptions& options);

CommandPlan PlanPoint(const CliOptions& options);
CommandPlan PlanSweep(const CliOptions& options);
CommandPlan PlanControl(const QString& strCommand);

// The text of a value option, for the command's checks.
QString OptionText(const CliOptions& options, const char* pszName);

// The value of the option the rule names, read strictly; --clamp takes the
// nearer bound instead of refusing, and says so in notices.
double ReadOptionNumber(const CliOptions& options, const NumberRule& rule, QStringList& notices);

// The amplitude both frame commands carry, in volts.
NumberRule AmplitudeRule();
