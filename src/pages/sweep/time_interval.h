#pragma once

#include <QString>

#include <optional>
#include <stdexcept>

// A time-interval text that Scan cannot send: no number, or a count below 1.
class IntervalCountError : public std::runtime_error {
public:
    IntervalCountError();
};

// The count of 20 ns units a time-interval text holds ("%d" rule). Throws
// IntervalCountError for a text the board cannot be given.
int IntervalCountToSend(const QString& strText);

// The interval as the operator sees it: a value with six decimals and a unit.
struct IntervalDisplay {
    QString strValue;
    QString strUnit;
};

// The display of a count; none for a text without a number.
std::optional<IntervalDisplay> IntervalDisplayOf(const QString& strText);
