#include "protocol/interval_table.h"

#include <array>
#include <cstddef>

namespace {

// Row 6 keeps the step 0.967, not the 0.976 its text suggests.
constexpr std::array<IntervalRow, kIntervalRowCount> kIntervalTable = {{
    {"15k", "00", 0.015},
    {"30k", "01", 0.03},
    {"61k", "02", 0.061},
    {"122k", "03", 0.122},
    {"244k", "04", 0.244},
    {"488k", "05", 0.488},
    {"976k", "06", 0.967},
    {"1953k", "07", 1.953},
    {"3906k", "08", 3.906},
    {"7812k", "09", 7.812},
    {"15.625M", "0A", 15.625},
    {"31.25M", "0B", 31.25},
    {"62.5M", "0C", 62.5},
    {"125M", "0D", 125.0},
}};

} // namespace

const IntervalRow& IntervalRowAt(int nIndex)
{
    const bool bInTable = nIndex >= 0 && nIndex < kIntervalRowCount;
    return kIntervalTable[static_cast<std::size_t>(bInTable ? nIndex : kDefaultIntervalRow)];
}
