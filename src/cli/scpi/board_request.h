#pragma once

#include <QString>

#include <functional>

// Which frame a command asks for; the server picks the watch by it.
enum class FrameKind { Point, Sweep, Pause, Continue, Close };

// A frame a command needs the board to acknowledge.
struct BoardRequest {
    FrameKind kind;
    // The frame text without its CRC, for a retry count.
    std::function<QString(int nRetry)> compose;
};

enum class BoardOutcome { Acknowledged, NotAcknowledged, PortFailure };

// "point", "sweep", "pause", "continue", "close".
const char* FrameKindName(FrameKind kind);
