#pragma once

#include "stream/stream_record.h"

class CProbeApplication;

// Drives the real main window through a sweep on the stream board's port and
// notes what it costs and shows: idle first, then Scan, then the stream.
// Returns false with strError set.
bool RecordWindow(CProbeApplication& app, const QString& strPort, double dStreamSeconds, double dIdleSeconds,
                  WindowRecord& record, QString& strError);
