#pragma once

#include "scpi/board_request.h"
#include "scpi/instrument_state.h"

// The frames the commands ask for, composed from the settings as they are
// when the command runs, so that a later command cannot change a resend.
// The settings have passed their checks.
BoardRequest PointRequest(const InstrumentSettings& settings);
BoardRequest SweepRequest(const InstrumentSettings& settings);
// Close, pause or continue.
BoardRequest ControlRequest(FrameKind kind);
// What the stepped sweep is to do; a start carries its points.
BoardRequest SteppedRequest(SteppedAction action, const StepPoints& points = {}, bool bEndless = false);
// The board's own sweep: its steps times its time per step.
double BoardSweepSeconds(const InstrumentSettings& settings);
