#pragma once

#include "protocol/commands.h"
#include "scpi/sweep_tracker.h"
#include "stepping/step_points.h"

#include <QString>

#include <functional>

// What a request does to the stepped sweep, which the server runs point by
// point between the other frames.
enum class SteppedAction { None, Start, Abort, Pause, Continue };

// A frame a command needs the board to acknowledge; the server picks the
// watch by its kind. A stepped action takes the link's turn instead.
struct BoardRequest {
    FrameKind kind;
    // The frame text without its CRC, for a retry count.
    std::function<QString(int nRetry)> compose;
    // Of a sweep frame, the sweep it starts.
    SweepPlan sweep;
    SteppedAction stepped = SteppedAction::None;
    // Of a stepped start, its points, once or endlessly (sweep.bCircular).
    StepPoints points;
};

enum class BoardOutcome { Acknowledged, NotAcknowledged, PortFailure };
