#include "cli/command_plan.h"

#include "cli/exit_code.h"
#include "encoding/number_text.h"
#include "encoding/text_parsing.h"
#include "encoding/words.h"
#include "protocol/frame_builders.h"
#include "protocol/interval_count.h"
#include "protocol/interval_table.h"
#include "protocol/limits.h"

#include <QStringList>

#include <algorithm>
#include <climits>
#include <utility>

namespace {

// The window reads the first nine characters as atoi does.
int ReadWholeMegahertz(const CliOptions& options, const char* pszName, QStringList& notices)
{
    const QString strText = OptionText(options, pszName);
    const QString strName = QString::fromLatin1(pszName);
    int nScanned = 0;
    // atoi reads a text without a number as 0; a script more likely made a mistake.
    if (!ScanInt(strText.left(9), nScanned)) {
        throw InputError(QStringLiteral("--%1 needs a whole number of MHz from %2 to %3; got \"%4\".")
                             .arg(strName)
                             .arg(kLowestFrequencyMHz)
                             .arg(kHighestFrequencyMHz)
                             .arg(strText));
    }
    const int nRead = AtoiPrefix(strText);
    float fTyped = 0.0f;
    if (ScanFloat(strText, fTyped) && static_cast<double>(fTyped) != nRead)
        notices.append(QStringLiteral("%1 \"%2\" is read as %3 MHz").arg(strName, strText.trimmed()).arg(nRead));
    const int nClamped = std::clamp(nRead, kLowestFrequencyMHz, kHighestFrequencyMHz);
    if (nClamped != nRead) {
        notices.append(QStringLiteral("%1 %2 MHz is %3 %4 MHz; sending %4 MHz")
                           .arg(strName)
                           .arg(nRead)
                           .arg(nRead > nClamped ? QStringLiteral("above") : QStringLiteral("below"))
                           .arg(nClamped));
    }
    return nClamped;
}

float ReadAmplitude(const CliOptions& options, QStringList& notices)
{
    const QString strText = OptionText(options, "amplitude");
    float fAmplitude = 0.0f;
    if (!ScanFloat(strText, fAmplitude))
        throw InputError(QStringLiteral("--amplitude needs a number of volts; got \"%1\".").arg(strText));
    if (fAmplitude > kHighestAmplitudeVolts) {
        notices.append(QStringLiteral("amplitude %1 V is out of scale (above %2 V); sending %2 V")
                           .arg(FormatGeneral6(fAmplitude))
                           .arg(kHighestAmplitudeVolts));
        return kHighestAmplitudeVolts;
    }
    // Its word would be negative and too wide for the field.
    if (fAmplitude < kLowestAmplitudeVolts) {
        notices.append(QStringLiteral("amplitude %1 V is below %2 V; sending %2 V")
                           .arg(FormatGeneral6(fAmplitude))
                           .arg(kLowestAmplitudeVolts));
        return kLowestAmplitudeVolts;
    }
    return fAmplitude;
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

int ReadIntervalCount(const CliOptions& options)
{
    const QString strText = OptionText(options, "interval");
    try {
        return IntervalCountToSend(strText);
    } catch (const IntervalCountError&) {
        throw InputError(QStringLiteral("--interval needs a whole number of 20 ns units from %1 to %2; got \"%3\".")
                             .arg(kLowestIntervalCount)
                             .arg(INT_MAX)
                             .arg(strText));
    }
}

} // namespace

CommandPlan PlanSweep(const CliOptions& options)
{
    CommandPlan plan{{}, kSweepWatchPolicy, {}};
    int nStart = ReadWholeMegahertz(options, "start", plan.notices);
    int nEnd = ReadWholeMegahertz(options, "end", plan.notices);
    if (nEnd < nStart) {
        plan.notices.append(
            QStringLiteral("end %1 MHz is below start %2 MHz; sweeping from %1 to %2 MHz").arg(nEnd).arg(nStart));
        std::swap(nStart, nEnd);
    }
    const float fAmplitude = ReadAmplitude(options, plan.notices);
    const int nStepCode = ReadStepCode(options);
    const int nInterval = ReadIntervalCount(options);

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
