#include "support/board_frames.h"

QByteArray Hex(const QString& strHex)
{
    return QByteArray::fromHex(strHex.toLatin1());
}
