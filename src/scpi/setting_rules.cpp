#include "scpi/setting_rules.h"

#include "protocol/interval_table.h"

#include <cmath>

namespace {

constexpr double kStepTolerance = 0.02;
constexpr double kIntervalNanoseconds = 20.0;
constexpr double kDwellToleranceNanoseconds = 0.1;
// The page's "＜1s": a count of 50,000,000 is a whole second.
constexpr long long kDwellCountLimit = 50000000;

DecimalValue Constant(const char* pszText)
{
    return *DecimalFromText(pszText);
}

bool IsWithin(const DecimalValue& value, const char* pszLowest, const char* pszHighest)
{
    return Compare(value, Constant(pszLowest)) >= 0 && Compare(value, Constant(pszHighest)) <= 0;
}

std::optional<ScpiError> CheckFrequency(const DecimalValue& value)
{
    if (!IsWithin(value, kFrequencySetting.pszMinimum, kFrequencySetting.pszMaximum))
        return kDataOutOfRange;
    return std::nullopt;
}

std::optional<ScpiError> CheckAmplitude(const DecimalValue& value)
{
    if (!IsWithin(value, kAmplitudeSetting.pszMinimum, kAmplitudeSetting.pszMaximum))
        return kDataOutOfRange;
    return std::nullopt;
}

// A fraction of a MHz lies inside the range but is not a value the sweep
// frame can carry, so it is an illegal value rather than one out of range.
std::optional<ScpiError> CheckWholeMegahertz(const DecimalValue& value)
{
    if (!IsWithin(value, kStartSetting.pszMinimum, kStartSetting.pszMaximum))
        return kDataOutOfRange;
    if (!IsMultipleOfPowerOfTen(value, 6))
        return kIllegalParameterValue;
    return std::nullopt;
}

// The row's text in Hz: "976k" is 976000, "15.625M" 15625000.
double RowTextHertz(int nRow)
{
    const char* pszText = IntervalRowAt(nRow).pszText;
    const char* p = pszText;
    const char* const pEnd = p + qstrlen(pszText);
    const DecimalValue number = *ReadDecimal(p, pEnd);
    return ToDouble(Scaled(number, p < pEnd && *p == 'M' ? 6 : 3));
}

double RowExactHertz(int nRow)
{
    return 125e6 / std::ldexp(1.0, kIntervalRowCount - 1 - nRow);
}

bool IsNear(double dValue, double dReference)
{
    return std::fabs(dValue - dReference) <= kStepTolerance * dReference;
}

// A value between two rows is illegal; one beyond the first or last row's
// tolerance is out of range.
std::optional<ScpiError> CheckStep(const DecimalValue& value)
{
    if (StepRowIndex(value))
        return std::nullopt;
    const double dHertz = ToDouble(value);
    const double dLowest = (1.0 - kStepTolerance) * std::fmin(RowTextHertz(0), RowExactHertz(0));
    const int nLastRow = kIntervalRowCount - 1;
    const double dHighest = (1.0 + kStepTolerance) * std::fmax(RowTextHertz(nLastRow), RowExactHertz(nLastRow));
    return dHertz < dLowest || dHertz > dHighest ? kDataOutOfRange : kIllegalParameterValue;
}

// The nearest count, none for a value no count comes near. The range is
// judged on it: 19.95 ns is one count, 5 ns is none.
std::optional<long long> NearestDwellCount(const DecimalValue& dwell)
{
    const double dNanoseconds = ToDouble(Scaled(dwell, 9));
    if (!(dNanoseconds >= 0.0 && dNanoseconds < 2.0 * kIntervalNanoseconds * kDwellCountLimit))
        return std::nullopt;
    return std::llround(dNanoseconds / kIntervalNanoseconds);
}

std::optional<ScpiError> CheckDwell(const DecimalValue& value)
{
    const std::optional<long long> count = NearestDwellCount(value);
    if (!count || *count < 1 || *count >= kDwellCountLimit)
        return kDataOutOfRange;
    if (!DwellCount(value))
        return kIllegalParameterValue;
    return std::nullopt;
}

// The step the board makes for a step the client named by its row.
DecimalValue BoardStep(const DecimalValue& step)
{
    return StepOfRow(*StepRowIndex(step));
}

// The whole count of 20 ns the board dwells.
DecimalValue BoardDwell(const DecimalValue& dwell)
{
    return Scaled(DecimalFromInt(static_cast<qint64>(*DwellCount(dwell)) * 20), -9);
}

} // namespace

const NumericSetting kFrequencySetting{
    Quantity::Frequency, &InstrumentSettings::frequency, "10e6", "400e6", "100e6", CheckFrequency, true, nullptr};
const NumericSetting kAmplitudeSetting{
    Quantity::Voltage, &InstrumentSettings::amplitude, "0", "4", "0", CheckAmplitude, true, nullptr};
const NumericSetting kStartSetting{
    Quantity::Frequency, &InstrumentSettings::start, "10e6", "400e6", "10e6", CheckWholeMegahertz, false, nullptr};
const NumericSetting kStopSetting{
    Quantity::Frequency, &InstrumentSettings::stop, "10e6", "400e6", "400e6", CheckWholeMegahertz, false, nullptr};
const NumericSetting kStepSetting{Quantity::Frequency, &InstrumentSettings::step, "15258.7890625", "125e6",
                                  "976562.5", CheckStep, false, BoardStep};
const NumericSetting kDwellSetting{
    Quantity::Time, &InstrumentSettings::dwell, "20e-9", "999999980e-9", "100e-9", CheckDwell, false, BoardDwell};

DecimalValue KeywordValue(const NumericSetting& setting, NumericKeyword keyword)
{
    switch (keyword) {
    case NumericKeyword::Minimum:
        return Constant(setting.pszMinimum);
    case NumericKeyword::Maximum:
        return Constant(setting.pszMaximum);
    case NumericKeyword::Default:
        break;
    }
    return Constant(setting.pszDefault);
}

InstrumentSettings DefaultSettings()
{
    InstrumentSettings settings;
    for (const NumericSetting* pSetting :
         {&kFrequencySetting, &kAmplitudeSetting, &kStartSetting, &kStopSetting, &kStepSetting, &kDwellSetting})
        settings.*(pSetting->pMember) = KeywordValue(*pSetting, NumericKeyword::Default);
    settings.nPoints = kDefaultSweepPoints;
    settings.steppedDwell = Constant(kDefaultSteppedDwell);
    return settings;
}

std::optional<int> StepRowIndex(const DecimalValue& step)
{
    const double dHertz = ToDouble(step);
    for (int nRow = 0; nRow < kIntervalRowCount; ++nRow) {
        if (IsNear(dHertz, RowTextHertz(nRow)) || IsNear(dHertz, RowExactHertz(nRow)))
            return nRow;
    }
    return std::nullopt;
}

std::optional<int> DwellCount(const DecimalValue& dwell)
{
    const std::optional<long long> count = NearestDwellCount(dwell);
    if (!count || *count < 1 || *count >= kDwellCountLimit)
        return std::nullopt;
    const double dNanoseconds = ToDouble(Scaled(dwell, 9));
    if (std::fabs(dNanoseconds - static_cast<double>(*count) * kIntervalNanoseconds) > kDwellToleranceNanoseconds)
        return std::nullopt;
    return static_cast<int>(*count);
}

DecimalValue StepOfRow(int nRow)
{
    // 125e6 / 2^k is 125 * 5^k * 10^(6 - k): exact in decimal.
    const int nHalvings = kIntervalRowCount - 1 - nRow;
    qint64 nDigits = 125;
    for (int n = 0; n < nHalvings; ++n)
        nDigits *= 5;
    return Scaled(DecimalFromInt(nDigits), 6 - nHalvings);
}
