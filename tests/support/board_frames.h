#pragma once

#include "support/golden_frames.h"

#include <QByteArray>
#include <QString>

// The bytes a hexadecimal text denotes.
QByteArray Hex(const QString& strHex);

// A frame whose CRC no longer matches.
QByteArray WithLastByteFlipped(QByteArray frame);

// The golden frames and replies as the bytes a client writes to the board's
// line or reads from it.
inline const QByteArray g_point1V100Mhz = Hex(kPoint1V100MhzFrame);
inline const QByteArray g_point1V100MhzResent = Hex(kPoint1V100MhzResentFrame);
inline const QByteArray g_sweep10To400Mhz = Hex(kSweep10To400MhzBy15kFrame);
inline const QByteArray g_close = Hex(kCloseFrame);
inline const QByteArray g_pause = Hex(kPauseFrame);
inline const QByteArray g_continue = Hex(kContinueFrame);
inline const QByteArray g_ok = Hex(kAcknowledgementReply);
inline const QByteArray g_error = Hex(kRefusalReply);
