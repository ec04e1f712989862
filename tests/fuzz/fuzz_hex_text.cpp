#include "fuzz_check.h"
#include "protocol/hex_text.h"
#include "protocol/reply_text.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// Any text: the count matches the array and never exceeds half the length,
// and the bytes are the text's leading pairs. Any bytes: their reply text
// converts back to the same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    const QByteArray input(reinterpret_cast<const char*>(pData), static_cast<qsizetype>(nSize));
    const QString strText = QString::fromLatin1(input);

    QByteArray bytes("previous contents");
    const int nCount = HexTextToBytes(strText, bytes);
    FUZZ_CHECK(nCount == bytes.size());
    FUZZ_CHECK(nCount <= strText.size() / 2);
    if (!strText.contains(u' ')) {
        const QByteArray expected = QByteArray::fromHex(input.left(2 * nCount));
        FUZZ_CHECK(bytes == expected);
    }

    QByteArray roundTrip;
    FUZZ_CHECK(HexTextToBytes(ReplyText(input), roundTrip) == input.size());
    FUZZ_CHECK(roundTrip == input);
    return 0;
}
