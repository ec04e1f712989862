#include "stream/report_words.h"

#include <cmath>

namespace {

constexpr double kFirstMhz = 20;
constexpr double kStepMhz = 0.01;
constexpr qint64 kReportsPerRound = 28000;

} // namespace

quint32 StreamReportWord(qint64 nReport)
{
    const double dMhz = kFirstMhz + static_cast<double>(nReport % kReportsPerRound) * kStepMhz;
    return static_cast<quint32>(std::trunc(dMhz / 1000.0 * 4294967296.0));
}
