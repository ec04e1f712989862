#include "cli/command_plan.h"

#include "cli/exit_code.h"
#include "encoding/number_text.h"
#include "encoding/text_parsing.h"
#include "encoding/words.h"
#include "protocol/frame_builders.h"
#include "protocol/limits.h"

namespace {

float ReadNumber(const CliOptions& options, const char* pszName, const char* pszUnit)
{
    const QString strText = OptionText(options, pszName);
    float fValue = 0.0f;
    if (!ScanFloat(strText, fValue)) {
        throw InputError(QStringLiteral("--%1 needs a number of %2; got \"%3\".")
                             .arg(QLatin1String(pszName), QLatin1String(pszUnit), strText));
    }
    return fValue;
}

} // namespace

CommandPlan PlanPoint(const CliOptions& options)
{
    CommandPlan plan{{}, kPointWatchPolicy, {}};
    float fAmplitude = ReadNumber(options, "amplitude", "volts");
    float fFrequency = ReadNumber(options, "frequency", "MHz");

    // The window checks integer parts only, so 4.5 V and 400.9 MHz pass; a
    // fraction below 0 V passes there too but its word would not fit.
    const int nAmplitude = IntegerPart(fAmplitude);
    if (nAmplitude > kHighestAmplitudeVolts) {
        plan.notices.append(QStringLiteral("amplitude %1 V is above %2 V; sending %2 V")
                                .arg(FormatGeneral6(fAmplitude))
                                .arg(kHighestAmplitudeVolts));
        fAmplitude = kHighestAmplitudeVolts;
    } else if (nAmplitude < kLowestAmplitudeVolts || fAmplitude < 0.0f) {
        plan.notices.append(QStringLiteral("amplitude %1 V is below %2 V; sending %2 V")
                                .arg(FormatGeneral6(fAmplitude))
                                .arg(kLowestAmplitudeVolts));
        fAmplitude = kLowestAmplitudeVolts;
    }

    const int nFrequency = IntegerPart(fFrequency);
    if (nFrequency > kHighestFrequencyMHz) {
        plan.notices.append(QStringLiteral("frequency %1 MHz is above %2 MHz; sending %2 MHz")
                                .arg(FormatGeneral6(fFrequency))
                                .arg(kHighestFrequencyMHz));
        fFrequency = kHighestFrequencyMHz;
    } else if (nFrequency < kLowestFrequencyMHz) {
        plan.notices.append(QStringLiteral("frequency %1 MHz is below %2 MHz; sending %2 MHz")
                                .arg(FormatGeneral6(fFrequency))
                                .arg(kLowestFrequencyMHz));
        fFrequency = kLowestFrequencyMHz;
    }

    plan.compose = [fAmplitude, fFrequency](int nRetry) {
        return PointFrame(nRetry, FrequencyToTuningWord(fFrequency), AmplitudeToWord(fAmplitude, kSinglePointAmplitudeScale));
    };
    return plan;
}
