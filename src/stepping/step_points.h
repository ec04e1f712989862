#pragma once

#include <QString>
#include <QVector>

// One point of a stepped sweep, in the operator's units.
struct StepPoint {
    double dFrequencyMHz = 0.0;
    double dAmplitudeVolts = 0.0;
    double dDwellSeconds = 0.0;
};

using StepPoints = QVector<StepPoint>;

inline constexpr int kLeastLogPoints = 2;
inline constexpr int kMostLogPoints = 10000;
inline constexpr double kMostDwellSeconds = 3600.0;

// Point k of N at start·(stop/start)^(k/(N−1)); the ends are start and stop
// exactly, so that rounding never takes the last point out of range. Every
// point gets the same amplitude and dwell. Empty for N outside 2..10,000 or
// an end not above zero.
StepPoints LogSpacedPoints(double dStartMHz, double dStopMHz, int nPoints, double dAmplitudeVolts,
                           double dDwellSeconds);

// Points from lists of values: amplitudes and dwells hold one value for
// every point or one for each frequency. Returns why they do not fit
// together, or an empty text with the points filled.
QString ListPoints(const QVector<double>& frequencies, const QVector<double>& amplitudes,
                   const QVector<double>& dwells, StepPoints& points);

// Why a value is outside what the board and the line allow; empty when it
// is inside. Frequencies 10 to 400 MHz, amplitudes 0 to 4 V, dwells from the
// line's least (LeastDwellSeconds) to one hour.
QString FrequencyRangeError(double dMHz);
QString AmplitudeRangeError(double dVolts);
QString DwellRangeError(double dSeconds, double dLeastSeconds);

// The first point with a value out of range, as "Point n of N: why."; empty
// when every point can go out. An empty list is refused too.
QString CheckPoints(const StepPoints& points, double dLeastDwellSeconds);

// The time of one pass through the points.
double PassSeconds(const StepPoints& points);
