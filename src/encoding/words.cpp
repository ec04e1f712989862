#include "encoding/words.h"

#include <climits>
#include <cmath>

namespace {
constexpr double kTwoTo32 = 4294967296.0;
}

int IntegerPart(double dValue)
{
    if (std::isnan(dValue))
        return 0;
    if (dValue >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (dValue <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(dValue);
}

int AmplitudeToWord(float fVolts, double dScale)
{
    const double dScaled = static_cast<double>(fVolts) * dScale;
    return IntegerPart(dScaled * 16384.0);
}

quint32 FrequencyToTuningWord(float fMegahertz)
{
    const double dProduct = (kTwoTo32 * static_cast<double>(fMegahertz)) * 0.001;
    if (!std::isfinite(dProduct))
        return 0;
    // fmod is exact, so this is the low 32 bits of the truncated value for
    // any magnitude, negative values in two's complement.
    double dLow = std::fmod(std::trunc(dProduct), kTwoTo32);
    if (dLow < 0)
        dLow += kTwoTo32;
    return static_cast<quint32>(dLow);
}

double TuningWordToFrequencyExact(quint32 dwWord)
{
    return (static_cast<double>(dwWord) / kTwoTo32) * 1000.0;
}

float TuningWordToFrequency(quint32 dwWord)
{
    return static_cast<float>(TuningWordToFrequencyExact(dwWord));
}
