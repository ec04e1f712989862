#pragma once

#include "serial/line_settings.h"

class CSerialLink;

// The shortest dwell a stepped point can have: the line's round trip for a
// point frame and its acknowledgement, plus what an adapter holds the answer
// back (its latency timer and the 2 ms after it).
double LeastDwellSeconds(const LineSettings& line, int nAdapterLatencyMsecs);
// The same for the port a link has, or will have, open.
double LeastDwellSeconds(const CSerialLink& link);
