#pragma once

#include "support/figures.h"

#include <QString>

#include <optional>

// The two floors of the same run, in % of a core: showing a new text at each
// tick, and waking up for each report. The window must do both, so its CPU
// during the stream is held to their sum rather than to a fixed figure.
struct StreamFloors {
    std::optional<double> displayPercent;
    std::optional<double> serialPercent;
};

// The floor its program wrote to strPath; none when the file holds no
// measured figure.
std::optional<double> ReadFloorPercent(const QString& strPath);

// What the stream's CPU figures are held to. A missing floor leaves them not
// judged, so that a run without it is never counted as met.
struct CpuTarget {
    QString strTarget;
    Figure::Judged judged = Figure::Judged::None;
    double dLimit = 0;
    QString strNote;
};

CpuTarget StreamCpuTarget(const StreamFloors& floors);
