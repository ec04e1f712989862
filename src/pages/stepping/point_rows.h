#pragma once

#include <QList>

#include <optional>

// One row of a point list as the operator gave it: a frequency in MHz, and
// an amplitude in V and a dwell in s where the row has its own; the others
// take the run's.
struct PointRow {
    double dFrequencyMHz = 0.0;
    std::optional<double> dAmplitudeVolts;
    std::optional<double> dDwellSeconds;

    bool operator==(const PointRow& other) const
    {
        return dFrequencyMHz == other.dFrequencyMHz && dAmplitudeVolts == other.dAmplitudeVolts
            && dDwellSeconds == other.dDwellSeconds;
    }
};

using PointRows = QList<PointRow>;
