#pragma once

#include <QByteArray>
#include <QString>

#include <initializer_list>
#include <stdexcept>

// One payload field of a frame: an unsigned value and its width in bytes.
struct FrameField {
    const char* pszName;
    qint64 nValue;
    int nBytes;
};

// A value that would not fit its slot. Writing it anyway would shift every
// later field, so nothing is composed and nothing reaches the port.
class FrameFieldError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Header, retry count, command, payload and trailer as upper-case
// hexadecimal text, without the CRC. Throws FrameFieldError when the count,
// the command or a field does not fit.
QString ComposeFrame(int nRetry, const QString& strCommand, std::initializer_list<FrameField> payload);

// Appends the CRC text to a composed frame and returns the bytes to write.
QByteArray SealFrame(QString& strFrame);

// Bytes of a whole frame for a command byte (CRC included), 0 for a command
// the board does not know.
int FrameLengthForCommand(unsigned char command);

// Bytes before the payload (header, count, command) and after it (trailer, CRC).
inline constexpr int kFrameHeadBytes = 6;
inline constexpr int kFrameTailBytes = 6;
