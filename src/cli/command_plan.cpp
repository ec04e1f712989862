#include "cli/command_plan.h"

#include "protocol/limits.h"

QString OptionText(const CliOptions& options, const char* pszName)
{
    return options.values.value(QString::fromLatin1(pszName));
}

double ReadOptionNumber(const CliOptions& options, const NumberRule& rule, QStringList& notices)
{
    return ReadStrictNumber(options.values.value(rule.strOption), rule, options.bClamp, notices);
}

NumberRule AmplitudeRule()
{
    return {QStringLiteral("amplitude"), QStringLiteral("V"), kLowestAmplitudeVolts, kHighestAmplitudeVolts, false};
}

CommandPlan PlanCommand(const CliOptions& options)
{
    if (options.strCommand == QLatin1String("point"))
        return PlanPoint(options);
    if (options.strCommand == QLatin1String("sweep"))
        return PlanSweep(options);
    return PlanControl(options.strCommand);
}
