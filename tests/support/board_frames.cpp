#include "support/board_frames.h"

QByteArray Hex(const QString& strHex)
{
    return QByteArray::fromHex(strHex.toLatin1());
}

QByteArray WithLastByteFlipped(QByteArray frame)
{
    frame[frame.size() - 1] = static_cast<char>(frame[frame.size() - 1] ^ 0x01);
    return frame;
}
