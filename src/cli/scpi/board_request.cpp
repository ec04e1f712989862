#include "cli/scpi/board_request.h"

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
