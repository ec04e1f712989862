#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// Median, smallest and largest of repeated runs.
struct Summary {
    double dMedian = 0;
    double dMin = 0;
    double dMax = 0;
    int nRuns = 0;
};

Summary Summarize(QList<double> values);

// The value below which dFraction of the values lie (nearest rank); 0 for none.
double Percentile(QList<double> values, double dFraction);

// One row of the table: a measured figure and the target it is held to.
struct Figure {
    enum class Judged { Median, Min, Max, None };
    QString strName;
    QString strUnit;
    Summary summary;
    QString strTarget;
    // The statistic compared with the limit; None for a figure shown for
    // comparison only.
    Judged judged = Judged::None;
    double dLimit = 0;
    // Whether the figure must stay at or below the limit, or reach it.
    bool bAtMost = true;
};

// A row of repeated runs, held to dLimit by the judged statistic.
Figure MakeFigure(const QString& strName, const QString& strUnit, const QList<double>& values, const QString& strTarget,
                  Figure::Judged judged = Figure::Judged::None, double dLimit = 0, bool bAtMost = true);

QJsonObject ToJson(const Figure& figure);

// Writes one group of figures, with notes printed under the table, as the
// JSON the report reads. Returns false when the file cannot be written.
bool WriteGroup(const QString& strPath, const QString& strGroup, const QList<Figure>& figures,
                const QStringList& notes = {});
