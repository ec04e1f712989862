#pragma once

#include "pages/stepping/point_rows.h"

#include <QString>

// A point list as CSV: frequency in MHz, then an optional amplitude in V and
// an optional dwell in s. Lines starting with # and blank lines are skipped,
// and the first other line may be a header.
struct PointCsvReading {
    PointRows rows;
    // Empty when every line was read; otherwise names the line and column.
    QString strError;
};

PointCsvReading ReadPointCsv(const QString& strText);
// Writes a header and one line per row, leaving out the empty cells at the end.
QString WritePointCsv(const PointRows& rows);
