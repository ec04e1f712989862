#pragma once

#include "serial/link_port.h"

#include <QSerialPort>

// What the system holds for a serial port before the port object takes it in.
// On Windows no wake-up count can be set, and the link reads as bytes come.

// Whether the system holds received bytes for the port: FIONREAD, or
// ClearCommError's input queue on Windows.
bool HasPendingSystemBytes(const QSerialPort& port);

// How many received bytes the system waits for before it tells the event
// loop that a serial port is readable. Reads still return whatever has come.
// Returns false where the system offers no such setting.
bool SetReadWakeupBytes(const QSerialPort& port, int nBytes);
