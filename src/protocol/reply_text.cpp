#include "protocol/reply_text.h"

#include "protocol/hex_digits.h"
#include "protocol/hex_text.h"

QString ReplyText(const QByteArray& bytes)
{
    QString strText;
    strText.reserve(bytes.size() * 3);
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        strText += QLatin1Char(kHexDigits[value >> 4]);
        strText += QLatin1Char(kHexDigits[value & 0x0F]);
        strText += QLatin1Char(' ');
    }
    return strText;
}

bool IsAcknowledgement(const QString& strReply)
{
    QByteArray bytes;
    HexTextToBytes(strReply.left(6), bytes);
    return StartsWithAcknowledgement(bytes);
}

bool StartsWithAcknowledgement(const QByteArray& bytes)
{
    return bytes.size() >= kAcknowledgementBytes && static_cast<quint8>(bytes[0]) == 0x4F && static_cast<quint8>(bytes[1]) == 0x4B;
}

bool IsFirstAnswerByte(const QByteArray& bytes)
{
    return bytes.size() == 1 && (static_cast<quint8>(bytes[0]) == 0x4F || static_cast<quint8>(bytes[0]) == 0x45);
}

bool IsWholeAnswer(const QByteArray& bytes)
{
    return bytes == QByteArrayLiteral("\x4F\x4B") || bytes == QByteArrayLiteral("\x45\x52");
}
