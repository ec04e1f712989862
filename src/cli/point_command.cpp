#include "cli/command_plan.h"

#include "encoding/words.h"
#include "protocol/frame_builders.h"
#include "protocol/limits.h"

CommandPlan PlanPoint(const CliOptions& options)
{
    CommandPlan plan{{}, kPointWatchPolicy, {}};
    const NumberRule frequencyRule{QStringLiteral("frequency"), QStringLiteral("MHz"), kLowestFrequencyMHz,
                                   kHighestFrequencyMHz, false};
    const auto fAmplitude = static_cast<float>(ReadOptionNumber(options, AmplitudeRule(), plan.notices));
    const auto fFrequency = static_cast<float>(ReadOptionNumber(options, frequencyRule, plan.notices));
    plan.compose = [fAmplitude, fFrequency](int nRetry) {
        return PointFrame(nRetry, FrequencyToTuningWord(fFrequency), AmplitudeToWord(fAmplitude, kSinglePointAmplitudeScale));
    };
    return plan;
}
