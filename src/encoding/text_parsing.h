#pragma once

#include <QString>

// The "%f" conversion: blanks, an optional sign, then a decimal number with
// optional fraction and exponent; anything after it is ignored ("2.5V" reads
// 2.5). Returns false and leaves fValue alone when the text does not begin
// with a number. Infinity and NaN texts count as no number; magnitudes beyond
// the float range saturate at the largest float.
bool ScanFloat(const QString& strText, float& fValue);

// The "%d" conversion: blanks, an optional sign, decimal digits. Returns
// false and leaves nValue alone without digits; saturates at the int range.
bool ScanInt(const QString& strText, int& nValue);

// atoi over at most the first nMaxChars characters; a text without a number
// gives 0. Nine characters cannot overflow an int.
int AtoiPrefix(const QString& strText, int nMaxChars = 9);
