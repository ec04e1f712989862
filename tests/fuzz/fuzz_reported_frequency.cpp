#include "fuzz_check.h"
#include "protocol/reply_text.h"
#include "protocol/reported_word.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// Arbitrary text never yields a word without a leading digit. Any received
// bytes, in the receive path's text form and stripped of blanks, read back
// as their last four bytes, most significant first.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const QByteArray bytes(reinterpret_cast<const char*>(pData), static_cast<qsizetype>(nSize));

    const QString strArbitrary = QString::fromLatin1(bytes);
    const std::optional<quint32> arbitrary = ReportedTuningWord(strArbitrary);
    const bool bLeadingDigit = !strArbitrary.isEmpty() && QString("0123456789abcdefABCDEF").contains(strArbitrary[0]);
    FUZZ_CHECK(arbitrary.has_value() == bLeadingDigit);

    const std::optional<quint32> word = ReportedTuningWord(ReplyText(bytes).remove(u' '));
    FUZZ_CHECK(word.has_value() == !bytes.isEmpty());
    quint32 dwExpected = 0;
    for (const char byte : bytes)
        dwExpected = (dwExpected << 8) | static_cast<std::uint8_t>(byte);
    if (word)
        FUZZ_CHECK(*word == dwExpected);
    return 0;
}
