#include "stepping/least_dwell.h"

#include "serial/serial_link.h"

#include <cmath>

namespace {

// A point frame is 18 bytes and the acknowledgement 2.
constexpr int kRoundTripCharacters = 18 + 2;

} // namespace

double LeastDwellSeconds(const LineSettings& line, int nAdapterLatencyMsecs)
{
    const double dLineMsecs = kRoundTripCharacters * line.BitsPerCharacter() * 1000.0 / line.nBaudRate;
    const double dAdapterMsecs = nAdapterLatencyMsecs > 0 ? nAdapterLatencyMsecs + 2 : 0;
    // Whole milliseconds, so that the least shown is a least that passes.
    return std::ceil(dLineMsecs + dAdapterMsecs) / 1000.0;
}

double LeastDwellSeconds(const CSerialLink& link)
{
    return LeastDwellSeconds(link.Line(), link.AdapterLatency());
}
