#include "protocol/crc_text.h"

#include "protocol/hex_digits.h"
#include "protocol/hex_text.h"

#include <array>

namespace {

constexpr std::array<std::uint16_t, 256> MakeCrcTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1u) ? (value >> 1) ^ 0xA001u : value >> 1;
        table[i] = static_cast<std::uint16_t>(value);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kCrcTable = MakeCrcTable();
static_assert(kCrcTable[1] == 0xC0C1 && kCrcTable[255] == 0x4040);

} // namespace

std::uint16_t Crc16Arc(const QByteArray& bytes)
{
    std::uint16_t crc = 0;
    for (const char byte : bytes)
        crc = kCrcTable[(crc ^ static_cast<std::uint8_t>(byte)) & 0xFFu] ^ (crc >> 8);
    return crc;
}

QString CrcText(QString strText)
{
    QByteArray bytes;
    HexTextToBytes(strText, bytes);
    // By hand: asprintf cost as much as the CRC and the conversion together.
    const unsigned crc = Crc16Arc(bytes);
    const char text[4] = {kHexDigits[(crc >> 12) & 0xF], kHexDigits[(crc >> 8) & 0xF], kHexDigits[(crc >> 4) & 0xF], kHexDigits[crc & 0xF]};
    return QString::fromLatin1(text, 4);
}
