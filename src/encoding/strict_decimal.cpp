#include "encoding/strict_decimal.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace {

// The parts of a decimal text; digits holds those before and after the point.
struct DecimalParts {
    QByteArray digits;
    qsizetype nIntegerDigits = 0;
    // Saturated far beyond any double's exponent.
    long long nExponent = 0;
};

constexpr long long kExponentCap = 1000000000;

bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

std::optional<DecimalParts> SplitDecimal(const QByteArray& text)
{
    DecimalParts parts;
    qsizetype nAt = 0;
    const qsizetype nSize = text.size();
    if (nAt < nSize && (text[nAt] == '+' || text[nAt] == '-'))
        ++nAt;
    while (nAt < nSize && IsDigit(text[nAt]))
        parts.digits.append(text[nAt++]);
    parts.nIntegerDigits = parts.digits.size();
    if (nAt < nSize && text[nAt] == '.') {
        ++nAt;
        while (nAt < nSize && IsDigit(text[nAt]))
            parts.digits.append(text[nAt++]);
    }
    if (parts.digits.isEmpty())
        return std::nullopt;
    if (nAt < nSize && (text[nAt] == 'e' || text[nAt] == 'E')) {
        ++nAt;
        bool bNegative = false;
        if (nAt < nSize && (text[nAt] == '+' || text[nAt] == '-'))
            bNegative = text[nAt++] == '-';
        const qsizetype nFirst = nAt;
        while (nAt < nSize && IsDigit(text[nAt]))
            parts.nExponent = std::min(parts.nExponent * 10 + (text[nAt++] - '0'), kExponentCap);
        if (nAt == nFirst)
            return std::nullopt;
        if (bNegative)
            parts.nExponent = -parts.nExponent;
    }
    if (nAt != nSize)
        return std::nullopt;
    return parts;
}

std::optional<DecimalParts> SplitDecimal(const QString& strText)
{
    // Anything beyond ASCII is no part of a C-locale number.
    for (const QChar ch : strText) {
        if (ch.unicode() > 0x7F)
            return std::nullopt;
    }
    return SplitDecimal(strText.toLatin1());
}

// Where the point stands among the digits once the exponent is applied.
long long PointPosition(const DecimalParts& parts)
{
    return static_cast<long long>(parts.nIntegerDigits) + parts.nExponent;
}

} // namespace

std::optional<double> ReadDecimal(const QString& strText)
{
    const std::optional<DecimalParts> parts = SplitDecimal(strText);
    if (!parts)
        return std::nullopt;
    QByteArray text = strText.toLatin1();
    // from_chars takes a minus but no plus.
    if (text.startsWith('+'))
        text.remove(0, 1);
    const bool bNegative = text.startsWith('-');
    double dValue = 0.0;
    if (std::from_chars(text.constData(), text.constData() + text.size(), dValue).ec == std::errc())
        return dValue;
    // Beyond a double's range, too large or too small: the digits tell which.
    const QByteArray& digits = parts->digits;
    const auto firstSignificant = std::find_if(digits.cbegin(), digits.cend(), [](char ch) { return ch != '0'; });
    const qsizetype nFirst = firstSignificant - digits.cbegin();
    const double dMagnitude = PointPosition(*parts) > nFirst ? std::numeric_limits<double>::infinity() : 0.0;
    return bNegative ? -dMagnitude : dMagnitude;
}

bool IsWholeDecimal(const QString& strText)
{
    const std::optional<DecimalParts> parts = SplitDecimal(strText);
    if (!parts)
        return false;
    const long long nPoint = PointPosition(*parts);
    for (qsizetype nAt = 0; nAt < parts->digits.size(); ++nAt) {
        if (parts->digits[nAt] != '0' && nAt >= nPoint)
            return false;
    }
    return true;
}
