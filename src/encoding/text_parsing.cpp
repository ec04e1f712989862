#include "encoding/text_parsing.h"

#include <QByteArray>

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <system_error>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Skips leading blanks and one sign; returns true for a minus.
bool SkipBlanksAndSign(const char*& p, const char* pEnd)
{
    while (p < pEnd && IsBlank(*p))
        ++p;
    bool bNegative = false;
    if (p < pEnd && (*p == '+' || *p == '-')) {
        bNegative = *p == '-';
        ++p;
    }
    return bNegative;
}

// Whether a number that from_chars found out of range is too large rather
// than too small: its exponent is positive or it has no exponent at all.
bool IsOverflow(const char* pBegin, const char* pEnd)
{
    for (const char* p = pBegin; p < pEnd; ++p) {
        if (*p == 'e' || *p == 'E')
            return p + 1 < pEnd && p[1] != '-';
    }
    return true;
}

} // namespace

bool ScanFloat(const QString& strText, float& fValue)
{
    const QByteArray text = strText.toUtf8();
    const char* p = text.constData();
    const char* const pEnd = p + text.size();
    const bool bNegative = SkipBlanksAndSign(p, pEnd);
    if (p == pEnd || !(IsDigit(*p) || *p == '.'))
        return false;

    float fParsed = 0.0f;
    const std::from_chars_result result = std::from_chars(p, pEnd, fParsed, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument)
        return false;
    if (result.ec == std::errc::result_out_of_range)
        fParsed = IsOverflow(p, result.ptr) ? FLT_MAX : 0.0f;
    if (!std::isfinite(fParsed))
        return false;
    fValue = bNegative ? -fParsed : fParsed;
    return true;
}

bool ScanInt(const QString& strText, int& nValue)
{
    const QByteArray text = strText.toUtf8();
    const char* p = text.constData();
    const char* const pEnd = p + text.size();
    const bool bNegative = SkipBlanksAndSign(p, pEnd);
    if (p == pEnd || !IsDigit(*p))
        return false;

    long long nMagnitude = 0;
    for (; p < pEnd && IsDigit(*p); ++p) {
        nMagnitude = nMagnitude * 10 + (*p - '0');
        if (nMagnitude > static_cast<long long>(INT_MAX) + 1)
            nMagnitude = static_cast<long long>(INT_MAX) + 1;
    }
    const long long nSigned = bNegative ? -nMagnitude : nMagnitude;
    nValue = static_cast<int>(std::clamp<long long>(nSigned, INT_MIN, INT_MAX));
    return true;
}

int AtoiPrefix(const QString& strText, int nMaxChars)
{
    int nValue = 0;
    return ScanInt(strText.left(nMaxChars), nValue) ? nValue : 0;
}
