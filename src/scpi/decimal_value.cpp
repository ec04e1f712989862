#include "scpi/decimal_value.h"

#include <cstdlib>

namespace {

// Far beyond any value a setting takes, and far from int overflow however
// many digits a line holds.
constexpr int kExponentLimit = 100000000;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsWhiteSpace(char c)
{
    return static_cast<unsigned char>(c) <= 0x20 && c != '\n';
}

// An exponent after the mantissa, white space allowed around the E as in
// IEEE 488.2; nothing is taken unless digits follow, so "10 ECHO" keeps ECHO.
bool ReadExponent(const char*& p, const char* pEnd, int& nExponent)
{
    const char* q = p;
    while (q < pEnd && IsWhiteSpace(*q))
        ++q;
    if (q == pEnd || (*q != 'E' && *q != 'e'))
        return false;
    ++q;
    while (q < pEnd && IsWhiteSpace(*q))
        ++q;
    bool bNegative = false;
    if (q < pEnd && (*q == '+' || *q == '-')) {
        bNegative = *q == '-';
        ++q;
    }
    if (q == pEnd || !IsDigit(*q))
        return false;
    int nMagnitude = 0;
    for (; q < pEnd && IsDigit(*q); ++q)
        nMagnitude = nMagnitude >= kExponentLimit ? kExponentLimit : nMagnitude * 10 + (*q - '0');
    nExponent = bNegative ? -nMagnitude : nMagnitude;
    p = q;
    return true;
}

DecimalValue Normalised(bool bNegative, QByteArray digits, int nExponent)
{
    qsizetype nLeading = 0;
    while (nLeading < digits.size() && digits.at(nLeading) == '0')
        ++nLeading;
    digits.remove(0, nLeading);
    qsizetype nTrailing = 0;
    while (nTrailing < digits.size() && digits.at(digits.size() - 1 - nTrailing) == '0')
        ++nTrailing;
    digits.chop(nTrailing);
    if (digits.isEmpty())
        return {};
    return {bNegative, digits, nExponent + static_cast<int>(nTrailing)};
}

QByteArray ScientificText(const DecimalValue& value)
{
    QByteArray text = value.bNegative ? "-" : "";
    text += value.IsZero() ? QByteArray("0") : value.digits;
    text += 'e';
    text += QByteArray::number(value.nExponent);
    return text;
}

} // namespace

std::optional<DecimalValue> ReadDecimal(const char*& p, const char* pEnd)
{
    const char* q = p;
    bool bNegative = false;
    if (q < pEnd && (*q == '+' || *q == '-')) {
        bNegative = *q == '-';
        ++q;
    }
    QByteArray digits;
    int nFractionDigits = 0;
    for (; q < pEnd && IsDigit(*q); ++q)
        digits += *q;
    if (q < pEnd && *q == '.') {
        for (++q; q < pEnd && IsDigit(*q); ++q) {
            digits += *q;
            ++nFractionDigits;
        }
    }
    if (digits.isEmpty())
        return std::nullopt;
    int nExponent = 0;
    ReadExponent(q, pEnd, nExponent);
    p = q;
    return Normalised(bNegative, digits, nExponent - nFractionDigits);
}

std::optional<DecimalValue> DecimalFromText(const char* pszText)
{
    const QByteArray text(pszText);
    const char* p = text.constData();
    const char* const pEnd = p + text.size();
    std::optional<DecimalValue> value = ReadDecimal(p, pEnd);
    if (p != pEnd)
        return std::nullopt;
    return value;
}

DecimalValue DecimalFromInt(qint64 nValue)
{
    return *DecimalFromText(QByteArray::number(nValue).constData());
}

DecimalValue Scaled(DecimalValue value, int nPowerOfTen)
{
    if (!value.IsZero())
        value.nExponent += nPowerOfTen;
    return value;
}

int Compare(const DecimalValue& a, const DecimalValue& b)
{
    const int nSignA = a.IsZero() ? 0 : (a.bNegative ? -1 : 1);
    const int nSignB = b.IsZero() ? 0 : (b.bNegative ? -1 : 1);
    if (nSignA != nSignB)
        return nSignA < nSignB ? -1 : 1;
    if (nSignA == 0)
        return 0;
    // The position of the leading digit orders the magnitudes; within one
    // position, digits without trailing zeros compare as text.
    const qint64 nLeadA = a.digits.size() + a.nExponent;
    const qint64 nLeadB = b.digits.size() + b.nExponent;
    int nMagnitude = 0;
    if (nLeadA != nLeadB)
        nMagnitude = nLeadA < nLeadB ? -1 : 1;
    else if (a.digits != b.digits)
        nMagnitude = a.digits < b.digits ? -1 : 1;
    return nSignA * nMagnitude;
}

bool IsMultipleOfPowerOfTen(const DecimalValue& value, int nPowerOfTen)
{
    return value.IsZero() || value.nExponent >= nPowerOfTen;
}

// The text has no decimal point, so the process locale cannot change its reading.
double ToDouble(const DecimalValue& value)
{
    return std::strtod(ScientificText(value).constData(), nullptr);
}

float ToFloat(const DecimalValue& value)
{
    return std::strtof(ScientificText(value).constData(), nullptr);
}

QString FormatNr3(const DecimalValue& value)
{
    constexpr int kLeastDigits = 6;
    QByteArray digits = value.IsZero() ? QByteArray("0") : value.digits;
    const qint64 nExponent = value.IsZero() ? 0 : digits.size() - 1 + value.nExponent;
    if (digits.size() < kLeastDigits)
        digits.append(kLeastDigits - digits.size(), '0');
    QString strText = value.bNegative ? QStringLiteral("-") : QString();
    strText += QLatin1Char(digits.at(0));
    strText += QLatin1Char('.');
    strText += QLatin1String(digits.mid(1));
    strText += QStringLiteral("E%1%2")
                   .arg(nExponent < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                   .arg(nExponent < 0 ? -nExponent : nExponent, 2, 10, QLatin1Char('0'));
    return strText;
}
