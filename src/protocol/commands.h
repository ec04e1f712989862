#pragma once

#include <QString>
#include <QtGlobal>

// Command codes, the byte after the retry count. No other code is sent.
enum class Command : quint8 { SinglePoint = 0x01, Sweep = 0x03, Control = 0x40 };

// The one payload byte of a control frame.
enum class ControlCode : quint8 { Close = 0x80, Pause = 0x83, Continue = 0x84 };

// The frames a sender builds, one builder each.
enum class FrameKind { Point, Sweep, Pause, Continue, Close };

// "point", "sweep", "pause", "continue", "close": as logs and people say it.
const char* FrameKindName(FrameKind kind);

// The code as the frame text carries it: two upper-case digits.
QString CommandText(Command command);
