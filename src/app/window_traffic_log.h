#pragma once

#include <QString>

// The window's traffic log (--log FILE). A file that cannot be opened is told
// in one message at start and the window runs without a log; a write that
// fails later is told in one message too.
void StartWindowTrafficLog(const QString& strPath);

// Writes what is left once the window has gone; a failure then goes to stderr.
void StopWindowTrafficLog();
