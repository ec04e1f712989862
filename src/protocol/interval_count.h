#pragma once

#include <QString>

#include <stdexcept>

// The time per step, in units of 20 ns, must be a whole number of at least 1:
// a negative count would reach the board as FFFFFFxx.
inline constexpr int kLowestIntervalCount = 1;

// A time-interval text that cannot be sent: no number, or a count below 1.
class IntervalCountError : public std::runtime_error {
public:
    IntervalCountError();
};

// The count a time-interval text holds ("%d" rule). Throws IntervalCountError
// for a text the board cannot be given.
int IntervalCountToSend(const QString& strText);
