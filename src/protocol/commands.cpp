#include "protocol/commands.h"

#include "protocol/hex_digits.h"

QString CommandText(Command command)
{
    const auto nCode = static_cast<unsigned>(command);
    const char text[2] = {kHexDigits[nCode >> 4], kHexDigits[nCode & 0xF]};
    return QString::fromLatin1(text, 2);
}

const char* FrameKindName(FrameKind kind)
{
    switch (kind) {
    case FrameKind::Point:
        return "point";
    case FrameKind::Sweep:
        return "sweep";
    case FrameKind::Pause:
        return "pause";
    case FrameKind::Continue:
        return "continue";
    case FrameKind::Close:
        break;
    }
    return "close";
}
