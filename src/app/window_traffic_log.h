#pragma once

#include <QString>

class CTrafficLog;

// The window's traffic log (--log FILE), handed to the window's link. A file
// that cannot be opened is told in one message at start and the window runs
// without a log; a write that fails later is told in one message too.
void StartWindowTrafficLog(CTrafficLog& log, const QString& strPath);

// Writes what is left once the window has gone; a failure then goes to stderr.
void StopWindowTrafficLog(CTrafficLog& log);
