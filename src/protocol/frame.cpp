#include "protocol/frame.h"

#include "protocol/commands.h"
#include "protocol/crc_text.h"
#include "protocol/frame_texts.h"
#include "protocol/hex_digits.h"
#include "protocol/hex_text.h"

namespace {

// Written digit by digit: formatting through QString::arg took most of the
// time a frame needs.
void AppendFieldText(QString& strFrame, const FrameField& field)
{
    const qint64 nLimit = qint64(1) << (8 * field.nBytes);
    if (field.nValue < 0 || field.nValue >= nLimit) {
        throw FrameFieldError(QStringLiteral("The %1 %2 does not fit its %3-byte field of the frame; nothing was sent.")
                                  .arg(QString::fromLatin1(field.pszName))
                                  .arg(field.nValue)
                                  .arg(field.nBytes)
                                  .toStdString());
    }
    QChar digits[16];
    int nDigits = 0;
    for (int nShift = 8 * field.nBytes - 4; nShift >= 0; nShift -= 4)
        digits[nDigits++] = QLatin1Char(kHexDigits[(field.nValue >> nShift) & 0xF]);
    strFrame.append(digits, nDigits);
}

bool IsCommandText(const QString& strCommand)
{
    if (strCommand.size() != 2)
        return false;
    for (const QChar ch : strCommand) {
        if (HexDigitValue(ch) < 0 || ch.isLower())
            return false;
    }
    return true;
}

} // namespace

QString ComposeFrame(int nRetry, const QString& strCommand, std::initializer_list<FrameField> payload)
{
    if (!IsCommandText(strCommand)) {
        throw FrameFieldError(
            QStringLiteral("The command code \"%1\" is not two hexadecimal digits; nothing was sent.")
                .arg(strCommand)
                .toStdString());
    }
    int nPayloadBytes = 0;
    for (const FrameField& field : payload)
        nPayloadBytes += field.nBytes;
    QString strFrame;
    // Room for the CRC too, so that sealing does not move the text again.
    strFrame.reserve(2 * (kFrameHeadBytes + nPayloadBytes + kFrameTailBytes));
    strFrame += g_strHeader;
    AppendFieldText(strFrame, {"retry count", nRetry, 1});
    strFrame += strCommand;
    for (const FrameField& field : payload)
        AppendFieldText(strFrame, field);
    strFrame += g_strTrailer;
    return strFrame;
}

QByteArray SealFrame(QString& strFrame)
{
    strFrame += CrcText(strFrame);
    QByteArray bytes;
    HexTextToBytes(strFrame, bytes);
    return bytes;
}

int FrameLengthForCommand(unsigned char command)
{
    switch (static_cast<Command>(command)) {
    case Command::SinglePoint:
        return kFrameHeadBytes + 4 + 2 + kFrameTailBytes;
    case Command::Sweep:
        return kFrameHeadBytes + 4 + 4 + 2 + 1 + 4 + 1 + kFrameTailBytes;
    case Command::Control:
        return kFrameHeadBytes + 1 + kFrameTailBytes;
    }
    return 0;
}
