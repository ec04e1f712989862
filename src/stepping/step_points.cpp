#include "stepping/step_points.h"

#include "protocol/limits.h"

#include <cmath>

namespace {

QString Number(double dValue)
{
    return QString::number(dValue, 'g', 10);
}

} // namespace

StepPoints LogSpacedPoints(double dStartMHz, double dStopMHz, int nPoints, double dAmplitudeVolts,
                           double dDwellSeconds)
{
    StepPoints points;
    if (nPoints < kLeastLogPoints || nPoints > kMostLogPoints || !(dStartMHz > 0.0) || !(dStopMHz > 0.0))
        return points;
    points.reserve(nPoints);
    const double dRatio = dStopMHz / dStartMHz;
    for (int k = 0; k < nPoints; ++k) {
        const double dFrequency = k == 0             ? dStartMHz
                                  : k == nPoints - 1 ? dStopMHz
                                                     : dStartMHz * std::pow(dRatio, double(k) / (nPoints - 1));
        points.append({dFrequency, dAmplitudeVolts, dDwellSeconds});
    }
    return points;
}

QString ListPoints(const QVector<double>& frequencies, const QVector<double>& amplitudes,
                   const QVector<double>& dwells, StepPoints& points)
{
    const qsizetype nCount = frequencies.size();
    if (nCount == 0)
        return QStringLiteral("The list has no frequencies.");
    const auto fits = [nCount](const QVector<double>& values) { return values.size() == 1 || values.size() == nCount; };
    if (!fits(amplitudes)) {
        return QStringLiteral("%1 amplitudes for %2 frequencies; give one for all or one for each.")
            .arg(amplitudes.size())
            .arg(nCount);
    }
    if (!fits(dwells)) {
        return QStringLiteral("%1 dwells for %2 frequencies; give one for all or one for each.")
            .arg(dwells.size())
            .arg(nCount);
    }
    StepPoints list;
    list.reserve(nCount);
    for (qsizetype i = 0; i < nCount; ++i)
        list.append({frequencies[i], amplitudes.value(i, amplitudes[0]), dwells.value(i, dwells[0])});
    points = list;
    return QString();
}

QString FrequencyRangeError(double dMHz)
{
    if (dMHz >= kLowestFrequencyMHz && dMHz <= kHighestFrequencyMHz)
        return QString();
    return QStringLiteral("frequency %1 MHz is outside %2 to %3 MHz")
        .arg(Number(dMHz))
        .arg(kLowestFrequencyMHz)
        .arg(kHighestFrequencyMHz);
}

QString AmplitudeRangeError(double dVolts)
{
    if (dVolts >= kLowestAmplitudeVolts && dVolts <= kHighestAmplitudeVolts)
        return QString();
    return QStringLiteral("amplitude %1 V is outside %2 to %3 V")
        .arg(Number(dVolts))
        .arg(kLowestAmplitudeVolts)
        .arg(kHighestAmplitudeVolts);
}

QString DwellRangeError(double dSeconds, double dLeastSeconds)
{
    if (dSeconds < dLeastSeconds || std::isnan(dSeconds)) {
        return QStringLiteral("dwell %1 s is below the least this line allows, %2 s")
            .arg(Number(dSeconds), Number(dLeastSeconds));
    }
    if (dSeconds > kMostDwellSeconds)
        return QStringLiteral("dwell %1 s is above the most, %2 s").arg(Number(dSeconds), Number(kMostDwellSeconds));
    return QString();
}

QString CheckPoints(const StepPoints& points, double dLeastDwellSeconds)
{
    if (points.isEmpty())
        return QStringLiteral("There are no points to send.");
    for (qsizetype i = 0; i < points.size(); ++i) {
        const StepPoint& point = points[i];
        QString strWhy = FrequencyRangeError(point.dFrequencyMHz);
        if (strWhy.isEmpty())
            strWhy = AmplitudeRangeError(point.dAmplitudeVolts);
        if (strWhy.isEmpty())
            strWhy = DwellRangeError(point.dDwellSeconds, dLeastDwellSeconds);
        if (!strWhy.isEmpty())
            return QStringLiteral("Point %1 of %2: %3.").arg(i + 1).arg(points.size()).arg(strWhy);
    }
    return QString();
}

double PassSeconds(const StepPoints& points)
{
    double dSeconds = 0.0;
    for (const StepPoint& point : points)
        dSeconds += point.dDwellSeconds;
    return dSeconds;
}
