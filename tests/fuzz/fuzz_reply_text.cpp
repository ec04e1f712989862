#include "fuzz_check.h"
#include "protocol/reply_text.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// Three characters a byte, upper-case digits then a blank, and an
// acknowledgement exactly when the bytes start with 4F 4B.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const QByteArray bytes(reinterpret_cast<const char*>(pData), static_cast<qsizetype>(nSize));
    const QString strText = ReplyText(bytes);
    FUZZ_CHECK(strText.size() == 3 * bytes.size());
    for (qsizetype k = 0; k < bytes.size(); ++k) {
        const QString strExpected = QString::asprintf("%02X ", static_cast<unsigned>(static_cast<std::uint8_t>(bytes[k])));
        FUZZ_CHECK(strText.mid(3 * k, 3) == strExpected);
    }
    const bool bStartsOk = bytes.size() >= 2 && static_cast<std::uint8_t>(bytes[0]) == 0x4F
        && static_cast<std::uint8_t>(bytes[1]) == 0x4B;
    FUZZ_CHECK(IsAcknowledgement(strText) == bStartsOk);
    return 0;
}
