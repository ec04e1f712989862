#pragma once

// One row of the frequency-interval list: the text shown, the code sent and
// the step the end-of-sweep test uses.
struct IntervalRow {
    const char* pszText;
    const char* pszCode;
    double dStepMHz;
};

inline constexpr int kIntervalRowCount = 14;
// What Scan takes when no row, or an unknown one, is selected.
inline constexpr int kDefaultIntervalRow = 6;

// The row of a list index; any index outside the table gives the default row.
const IntervalRow& IntervalRowAt(int nIndex);
