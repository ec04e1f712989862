#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// CRC-16/ARC (reflected 0x8005, initial 0, no final XOR) of raw bytes.
std::uint16_t Crc16Arc(const QByteArray& bytes);

// CRC-16/ARC of the bytes a hexadecimal text denotes, as four upper-case
// digits. The empty text gives "0000".
QString CrcText(QString strText);
