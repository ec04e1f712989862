#pragma once

#include "pages/stepping/point_rows.h"

#include <QString>

// A point list as CSV, as the command-line tool reads it: frequency in MHz,
// then an optional amplitude in V and an optional dwell in s. Text from a #
// on is a comment, blank lines are skipped, and one header row, whose first
// field begins with a letter, may come before the first point.
struct PointCsvReading {
    PointRows rows;
    // Empty when every line was read; otherwise names the line and column.
    QString strError;
};

PointCsvReading ReadPointCsv(const QString& strText);
// Writes a header and one line per row, leaving out the empty cells at the end.
QString WritePointCsv(const PointRows& rows);
