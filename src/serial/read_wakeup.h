#pragma once

#include <QtGlobal>

// How many received bytes the system waits for before it tells the event
// loop that a serial port is readable. Reads still return whatever has come.
// Returns false where the system offers no such setting.
bool SetReadWakeupBytes(qintptr nHandle, int nBytes);

// The most that can be asked for.
constexpr int kMostReadWakeupBytes = 255;
