#include "protocol/frame.h"

#include "protocol/crc_text.h"
#include "protocol/frame_texts.h"
#include "protocol/hex_text.h"

namespace {

QString FieldText(const FrameField& field)
{
    const qint64 nLimit = qint64(1) << (8 * field.nBytes);
    if (field.nValue < 0 || field.nValue >= nLimit) {
        throw FrameFieldError(QStringLiteral("The %1 %2 does not fit its %3-byte field of the frame; nothing was sent.")
                                  .arg(QString::fromLatin1(field.pszName))
                                  .arg(field.nValue)
                                  .arg(field.nBytes)
                                  .toStdString());
    }
    return QStringLiteral("%1").arg(field.nValue, 2 * field.nBytes, 16, QLatin1Char('0')).toUpper();
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
    QString strFrame = g_strHeader + FieldText({"retry count", nRetry, 1}) + strCommand;
    for (const FrameField& field : payload)
        strFrame += FieldText(field);
    return strFrame + g_strTrailer;
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
    switch (command) {
    case 0x01:
        return kFrameHeadBytes + 4 + 2 + kFrameTailBytes;
    case 0x03:
        return kFrameHeadBytes + 4 + 4 + 2 + 1 + 4 + 1 + kFrameTailBytes;
    case 0x40:
        return kFrameHeadBytes + 1 + kFrameTailBytes;
    default:
        return 0;
    }
}
