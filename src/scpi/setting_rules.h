#pragma once

#include "scpi/instrument_state.h"
#include "scpi/program_data.h"
#include "scpi/scpi_error.h"

#include <optional>

// A setting that takes a number: its unit, where it is kept, its MIN, MAX and
// DEF in the base unit, and the test a value must pass.
struct NumericSetting {
    Quantity quantity;
    DecimalValue InstrumentSettings::*pMember;
    const char* pszMinimum;
    const char* pszMaximum;
    const char* pszDefault;
    std::optional<ScpiError> (*check)(const DecimalValue& value);
    // FREQ and VOLT send the point at once in CW mode while the output is on.
    bool bSendsPointInCw;
    // The value the board takes for a checked one, kept in its place; null
    // where the value is kept as the client sent it.
    DecimalValue (*boardValue)(const DecimalValue& value);
};

extern const NumericSetting kFrequencySetting;
extern const NumericSetting kAmplitudeSetting;
extern const NumericSetting kStartSetting;
extern const NumericSetting kStopSetting;
extern const NumericSetting kStepSetting;
extern const NumericSetting kDwellSetting;

inline constexpr int kDefaultSweepPoints = 11;
inline constexpr const char* kDefaultSteppedDwell = "0.1";

DecimalValue KeywordValue(const NumericSetting& setting, NumericKeyword keyword);
InstrumentSettings DefaultSettings();

// The row of the interval table a step in Hz names: within 2 % of the row's
// text (976k) or of its exact value, 125 MHz / 2^(13 - index).
std::optional<int> StepRowIndex(const DecimalValue& step);
// A dwell in seconds as a count of 20 ns, when it is within 0.1 ns of one.
std::optional<int> DwellCount(const DecimalValue& dwell);

// A row's step in Hz, exactly: 125 MHz / 2^(13 - index).
DecimalValue StepOfRow(int nRow);
