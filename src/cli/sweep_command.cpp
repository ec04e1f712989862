#include "cli/command_plan.h"

#include "cli/exit_code.h"
#include "encoding/words.h"
#include "protocol/frame_builders.h"
#include "protocol/interval_count.h"
#include "protocol/interval_table.h"
#include "protocol/limits.h"

#include <QStringList>

#include <climits>
#include <utility>

namespace {

int ReadWholeMegahertz(const CliOptions& options, const char* pszName, QStringList& notices)
{
    const QString strName = QString::fromLatin1(pszName);
    const NumberRule rule{strName, QStringLiteral("MHz"), kLowestFrequencyMHz, kHighestFrequencyMHz, true};
    return static_cast<int>(ReadOptionNumber(options, rule, notices));
}

int ReadStepCode(const CliOptions& options)
{
    const QString strText = OptionText(options, "step");
    QStringList texts;
    for (int nRow = 0; nRow < kIntervalRowCount; ++nRow) {
        const IntervalRow& row = IntervalRowAt(nRow);
        if (strText == QLatin1String(row.pszText))
            return QString::fromLatin1(row.pszCode).toInt(nullptr, 16);
        texts.append(QString::fromLatin1(row.pszText));
    }
    throw InputError(
        QStringLiteral("--step must be one of %1; got \"%2\".").arg(texts.join(QLatin1Char(' ')), strText));
}

int ReadIntervalCount(const CliOptions& options, QStringList& notices)
{
    const NumberRule rule{QStringLiteral("interval"), QString(), kLowestIntervalCount, INT_MAX, true};
    return static_cast<int>(ReadOptionNumber(options, rule, notices));
}

} // namespace

CommandPlan PlanSweep(const CliOptions& options)
{
    CommandPlan plan{{}, kSweepWatchPolicy, {}};
    int nStart = ReadWholeMegahertz(options, "start", plan.notices);
    int nEnd = ReadWholeMegahertz(options, "end", plan.notices);
    if (nEnd < nStart) {
        if (!options.bClamp) {
            throw InputError(QStringLiteral("--end %1 MHz is below --start %2 MHz. --clamp sweeps from %1 to %2 MHz.")
                                 .arg(nEnd)
                                 .arg(nStart));
        }
        plan.notices.append(
            QStringLiteral("end %1 MHz is below start %2 MHz; sweeping from %1 to %2 MHz").arg(nEnd).arg(nStart));
        std::swap(nStart, nEnd);
    }
    const auto fAmplitude = static_cast<float>(ReadOptionNumber(options, AmplitudeRule(), plan.notices));
    const int nStepCode = ReadStepCode(options);
    const int nInterval = ReadIntervalCount(options, plan.notices);

    SweepFrameFields fields;
    fields.dwStartWord = FrequencyToTuningWord(static_cast<float>(nStart));
    fields.dwEndWord = FrequencyToTuningWord(static_cast<float>(nEnd));
    fields.nAmplitudeWord = AmplitudeToWord(fAmplitude, kSweepAmplitudeScale);
    fields.nStepCode = nStepCode;
    fields.nIntervalCount = nInterval;
    fields.bCircular = options.bCircular;
    plan.compose = [fields](int nRetry) { return SweepFrame(nRetry, fields); };
    return plan;
}
