#pragma once

#include "stepping/step_points.h"

#include <QString>
#include <QStringList>

#include <optional>

// What a line of a point list may leave out, and how values are judged.
struct PointListRules {
    std::optional<double> amplitudeVolts;
    std::optional<double> dwellSeconds;
    double dLeastDwellSeconds = 0.0;
    // Out of range: the nearer bound with a notice, rather than refused.
    bool bClamp = false;
};

// The points of a point file (ReadPointFile), each value judged by the
// rules. Throws InputError naming the line and the column of the first
// fault.
StepPoints ReadPointList(const QString& strText, const PointListRules& rules, QStringList& notices);

// The text of the file, or of standard input for "-". Throws InputError.
QString ReadPointListFile(const QString& strPath);
