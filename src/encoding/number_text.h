#pragma once

#include <QString>

// "%3.3f": scroll positions, 4 gives "4.000".
QString FormatFixed3(double dValue);

// "%.5f": the single-point frequency bound, "400.00000".
QString FormatFixed5(double dValue);

// "%f": six decimals, the time-interval display.
QString FormatFixed6(double dValue);

// Six significant digits in the shorter of fixed and exponent form, as a
// float field shows its value: 100 gives "100", 298.05 stays "298.05".
QString FormatGeneral6(float fValue);
