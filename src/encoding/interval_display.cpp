#include "encoding/interval_display.h"

#include "encoding/number_text.h"
#include "encoding/text_parsing.h"

std::optional<IntervalDisplay> IntervalDisplayOf(const QString& strText)
{
    int nCount = 0;
    if (!ScanInt(strText, nCount))
        return std::nullopt;
    // 64 bits hold n x 20 for every count a field can give.
    const qint64 nNanoseconds = static_cast<qint64>(nCount) * 20;
    const auto dNanoseconds = static_cast<double>(nNanoseconds);
    // The factors are the floats nearest the powers of ten; the product is
    // taken in double, so 12345 shows 246.900012.
    if (nNanoseconds >= 1000000000)
        return IntervalDisplay{FormatFixed6(dNanoseconds * static_cast<double>(1e-9f)), QStringLiteral("S")};
    if (nNanoseconds >= 1000000)
        return IntervalDisplay{FormatFixed6(dNanoseconds * static_cast<double>(1e-6f)), QStringLiteral("mS")};
    if (nNanoseconds >= 1000)
        return IntervalDisplay{FormatFixed6(dNanoseconds * static_cast<double>(0.001f)), QStringLiteral("uS")};
    return IntervalDisplay{FormatFixed6(dNanoseconds), QStringLiteral("nS")};
}
