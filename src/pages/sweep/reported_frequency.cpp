#include "pages/sweep/reported_frequency.h"

#include "protocol/hex_text.h"

std::optional<quint32> ReportedTuningWord(const QString& strReply)
{
    std::optional<quint32> word;
    for (const QChar ch : strReply) {
        const int nDigit = HexDigitValue(ch);
        if (nDigit < 0)
            break;
        // Shifting out the top digit keeps the last eight.
        word = (word.value_or(0) << 4) | static_cast<quint32>(nDigit);
    }
    return word;
}
