#pragma once

#include <QString>

#include <optional>

// The number a whole text spells in the C locale: an optional sign, decimal
// digits with an optional point, an optional exponent. None for anything
// else: blanks, a comma, a unit, hexadecimal, "nan", "inf", an empty text.
// A magnitude beyond a double's range reads as an infinity of its sign.
std::optional<double> ReadDecimal(const QString& strText);

// Whether such a text denotes a whole number, judged on its digits, so that
// a fraction too small for a double to keep is not taken for whole.
bool IsWholeDecimal(const QString& strText);
