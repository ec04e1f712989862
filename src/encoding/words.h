#pragma once

#include <QtGlobal>

// Amplitude scale factors: 1 V gives 0FD7 on the single-point page and 0FFF
// on the sweep page.
inline constexpr double kSinglePointAmplitudeScale = 0.2475;
inline constexpr double kSweepAmplitudeScale = 0.249975;

// trunc(16384 * (V * scale)) in double precision, saturated to the int range.
int AmplitudeToWord(float fVolts, double dScale);

// Low 32 bits of trunc((2^32 * F) * 0.001), in double precision.
quint32 FrequencyToTuningWord(float fMegahertz);

// word / 2^32 * 1000 in double precision; the float form rounds that value.
double TuningWordToFrequencyExact(quint32 dwWord);
float TuningWordToFrequency(quint32 dwWord);

// The value truncated toward zero, saturated to the int range; NaN gives 0.
int IntegerPart(double dValue);
