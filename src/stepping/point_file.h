#pragma once

#include <QList>
#include <QString>

#include <optional>

// One point of a point file as written: a frequency in MHz, and an
// amplitude in V and a dwell in s where the line gives its own; the others
// are the run's to supply.
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

// The columns of a point file, numbered from 1 as its messages count them.
enum PointColumn { kFrequencyColumn = 1, kAmplitudeColumn, kDwellColumn };

struct PointFileReading {
    PointRows rows;
    // The line of the file each row came from, counted from 1.
    QList<int> lines;
    // Empty when every line was read; otherwise "line N, column M: why." or
    // that the file holds no points, with no rows.
    QString strError;
};

// A point file, CSV: one point a line, "frequency[, amplitude[, dwell]]".
// Text from a # on is a comment, blank lines are skipped, and one header
// row, whose first field begins with a letter, may come before the first
// point. Each value is a whole decimal number in the C locale, read
// strictly: no unit, no comma for a point, nothing after it. Ranges are the
// reader's caller's to judge.
PointFileReading ReadPointFile(const QString& strText);

// A header and one line per row, leaving out the empty cells at the end;
// ReadPointFile gives the rows back.
QString WritePointFile(const PointRows& rows);

// What a column holds and counts, for messages: "frequency" and "MHz".
QString PointColumnName(int nColumn);
QString PointColumnUnit(int nColumn);
