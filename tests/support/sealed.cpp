#include "support/sealed.h"

#include "protocol/crc_text.h"

QString Sealed(const QString& strBody)
{
    return strBody + CrcText(strBody);
}

QString WithoutCrc(const QString& strFrame)
{
    return strFrame.chopped(4);
}
