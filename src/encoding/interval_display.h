#pragma once

#include <QString>

#include <optional>

// The time interval as the operator sees it: a value with six decimals and a unit.
struct IntervalDisplay {
    QString strValue;
    QString strUnit;
};

// The display of a count of 20 ns units ("%d" rule); none for a text without a number.
std::optional<IntervalDisplay> IntervalDisplayOf(const QString& strText);
