#include "protocol/reported_word.h"

#include "encoding/words.h"
#include "protocol/hex_text.h"
#include "protocol/limits.h"
#include "protocol/reply_text.h"

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

qsizetype WholeReportBytes(qsizetype nAvailable, bool bAcknowledgementLeads)
{
    const qsizetype nLead = bAcknowledgementLeads ? kAcknowledgementBytes : 0;
    if (nAvailable < nLead)
        return 0;
    return nLead + (nAvailable - nLead) / kMostReportBytes * kMostReportBytes;
}

bool IsShownFrequency(double dMegahertz)
{
    return dMegahertz > kLowestFrequencyMHz && dMegahertz < kHighestFrequencyMHz;
}

std::optional<quint32> ReportedWord(const QByteArray& bytes)
{
    if (bytes.isEmpty() || bytes.size() > kMostReportBytes || StartsWithAcknowledgement(bytes))
        return std::nullopt;
    quint32 dwWord = 0;
    for (const char byte : bytes)
        dwWord = (dwWord << 8) | static_cast<quint8>(byte);
    return dwWord;
}

std::optional<float> ReportedFrequency(const QByteArray& bytes)
{
    const std::optional<quint32> word = ReportedWord(bytes);
    if (!word)
        return std::nullopt;
    return TuningWordToFrequency(*word);
}
