#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A number exactly as a client wrote it: digits times a power of ten, so that
// a setting reads back as sent and range tests are not blurred by binary
// fractions. Kept normalised: no leading or trailing zeros in the digits, and
// zero as no digits, positive, exponent 0.
struct DecimalValue {
    bool bNegative = false;
    QByteArray digits;
    int nExponent = 0;

    bool IsZero() const { return digits.isEmpty(); }
};

// Reads a decimal numeric program datum (NR1, NR2 or NR3: sign, digits with
// an optional point, optional exponent) at p and moves p past it; none, with
// p unmoved, when no number starts there.
std::optional<DecimalValue> ReadDecimal(const char*& p, const char* pEnd);

// The whole text as one number; for constants and the interval table's texts.
std::optional<DecimalValue> DecimalFromText(const char* pszText);
DecimalValue DecimalFromInt(qint64 nValue);

// The value times 10^nPowerOfTen: a unit prefix applied without rounding.
DecimalValue Scaled(DecimalValue value, int nPowerOfTen);

// Negative, zero or positive as a is below, equal to or above b.
int Compare(const DecimalValue& a, const DecimalValue& b);

// Whether the value is a whole multiple of 10^nPowerOfTen.
bool IsMultipleOfPowerOfTen(const DecimalValue& value, int nPowerOfTen);

// The nearest double and float, each rounded once from the exact value.
double ToDouble(const DecimalValue& value);
float ToFloat(const DecimalValue& value);

// NR3 with at least six significant digits and every digit the value has:
// 1.23456E+08, 1.00000E+08, 1.234567891E+08.
QString FormatNr3(const DecimalValue& value);
