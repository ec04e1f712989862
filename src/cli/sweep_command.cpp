#include "cli/command_plan.h"

#include "cli/exit_code.h"
#include "encoding/number_text.h"
#include "encoding/text_parsing.h"
#include "encoding/words.h"
#include "pages/sweep/interval_table.h"
#include "protocol/frame.h"

#include <QStringList>

#include <algorithm>
#include <climits>
#include <utility>

namespace {

constexpr WatchRules kSweepWatch{50, 9, true, true};
constexpr int kMinFrequency = 10;
constexpr int kMaxFrequency = 400;
constexpr float kMaxAmplitude = 4.0f;

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
                             .arg(kMinFrequency)
                             .arg(kMaxFrequency)
                             .arg(strText));
    }
    const int nRead = AtoiPrefix(strText);
    float fTyped = 0.0f;
    if (ScanFloat(strText, fTyped) && static_cast<double>(fTyped) != nRead)
        notices.append(QStringLiteral("%1 \"%2\" is read as %3 MHz").arg(strName, strText.trimmed()).arg(nRead));
    const int nClamped = std::clamp(nRead, kMinFrequency, kMaxFrequency);
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
    if (fAmplitude > kMaxAmplitude) {
        notices.append(QStringLiteral("amplitude %1 V is out of scale (above 4 V); sending 4 V")
                           .arg(FormatGeneral6(fAmplitude)));
        return kMaxAmplitude;
    }
    // Its word would be negative and too wide for the field.
    if (fAmplitude < 0.0f) {
        notices.append(QStringLiteral("amplitude %1 V is below 0 V; sending 0 V").arg(FormatGeneral6(fAmplitude)));
        return 0.0f;
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
    int nCount = 0;
    // A negative count would reach the board as FFFFFFxx.
    if (!ScanInt(strText, nCount) || nCount < 1) {
        throw InputError(QStringLiteral("--interval needs a whole number of 20 ns units from 1 to %1; got \"%2\".")
                             .arg(INT_MAX)
                             .arg(strText));
    }
    return nCount;
}

} // namespace

CommandPlan PlanSweep(const CliOptions& options)
{
    CommandPlan plan{{}, kSweepWatch, {}};
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
    const int nCircular = options.bCircular ? 1 : 0;

    const quint32 dwStartWord = FrequencyToTuningWord(static_cast<float>(nStart));
    const quint32 dwEndWord = FrequencyToTuningWord(static_cast<float>(nEnd));
    plan.compose = [=](int nRetry) {
        return ComposeFrame(nRetry, QStringLiteral("03"),
                            {{"start word", dwStartWord, 4},
                             {"end word", dwEndWord, 4},
                             {"amplitude word", AmplitudeToWord(fAmplitude, kSweepAmplitudeScale), 2},
                             {"step code", nStepCode, 1},
                             {"time interval", nInterval, 4},
                             {"circular flag", nCircular, 1}});
    };
    return plan;
}
