#pragma once

#include "protocol/commands.h"
#include "scpi/sweep_tracker.h"

#include <QString>

#include <functional>

// A frame a command needs the board to acknowledge; the server picks the
// watch by its kind.
struct BoardRequest {
    FrameKind kind;
    // The frame text without its CRC, for a retry count.
    std::function<QString(int nRetry)> compose;
    // Of a sweep frame, the sweep it starts.
    SweepPlan sweep;
};

enum class BoardOutcome { Acknowledged, NotAcknowledged, PortFailure };
