#include "cli/command_plan.h"

#include "protocol/frame_builders.h"

// Pause and continue are watched as the sweep page watches them; close as
// the main window does, whose frames always carry count 00.
CommandPlan PlanControl(const QString& strCommand)
{
    if (strCommand == QLatin1String("close"))
        return {CloseFrame, kCloseWatchPolicy, {}};
    if (strCommand == QLatin1String("pause"))
        return {PauseFrame, kSweepWatchPolicy, {}};
    return {ContinueFrame, kSweepWatchPolicy, {}};
}
