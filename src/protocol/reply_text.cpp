#include "protocol/reply_text.h"

QString ReplyText(const QByteArray& bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    QString strText;
    strText.reserve(bytes.size() * 3);
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        strText += QLatin1Char(kDigits[value >> 4]);
        strText += QLatin1Char(kDigits[value & 0x0F]);
        strText += QLatin1Char(' ');
    }
    return strText;
}

bool IsAcknowledgement(const QString& strReply)
{
    return strReply.size() >= 2 && QStringView(strReply).left(2) == u"4F" && QStringView(strReply).mid(3, 2) == u"4B";
}
