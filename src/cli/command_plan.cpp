#include "cli/command_plan.h"

QString OptionText(const CliOptions& options, const char* pszName)
{
    return options.values.value(QString::fromLatin1(pszName));
}

CommandPlan PlanCommand(const CliOptions& options)
{
    if (options.strCommand == QLatin1String("point"))
        return PlanPoint(options);
    if (options.strCommand == QLatin1String("sweep"))
        return PlanSweep(options);
    return PlanControl(options.strCommand);
}
