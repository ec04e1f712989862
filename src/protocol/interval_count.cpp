#include "protocol/interval_count.h"

#include "encoding/text_parsing.h"

IntervalCountError::IntervalCountError()
    : std::runtime_error("Time interval must be a whole number of at least 1 (in units of 20 ns).")
{
}

int IntervalCountToSend(const QString& strText)
{
    int nCount = 0;
    if (!ScanInt(strText, nCount) || nCount < kLowestIntervalCount)
        throw IntervalCountError();
    return nCount;
}
