#pragma once

#include "protocol/commands.h"

#include <QString>

#include <optional>

// What a sealed frame text says about itself: its retry count, its command
// byte and, for a control frame, the control code. Enough to tell frames
// apart in a record of the traffic without composing them again.
struct DecodedFrame {
    int nRetry = 0;
    int nCommand = 0;
    // -1 for a frame that carries none.
    int nControlCode = -1;
};

// None for a text that is not a whole frame of a known command: wrong
// header or trailer, wrong length, or a digit that is not hexadecimal. The
// CRC is not checked; a frame this program wrote carries its own.
std::optional<DecodedFrame> DecodeFrame(const QString& strFrame);

// None for a control code no sender uses.
std::optional<FrameKind> FrameKindOf(const DecodedFrame& frame);
