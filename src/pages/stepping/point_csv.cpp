#include "pages/stepping/point_csv.h"

#include <QStringList>

#include <cmath>
#include <optional>

namespace {

constexpr int kMostColumns = 3;

QString Unquoted(const QString& strField)
{
    const QString strTrimmed = strField.trimmed();
    if (strTrimmed.size() >= 2 && strTrimmed.startsWith(u'"') && strTrimmed.endsWith(u'"'))
        return strTrimmed.mid(1, strTrimmed.size() - 2).trimmed();
    return strTrimmed;
}

std::optional<double> FieldNumber(const QString& strField)
{
    bool bNumber = false;
    const double dValue = strField.toDouble(&bNumber);
    if (!bNumber || !std::isfinite(dValue))
        return std::nullopt;
    return dValue;
}

QString Cell(const std::optional<double>& value)
{
    return value ? QString::number(*value, 'g', 10) : QString();
}

} // namespace

PointCsvReading ReadPointCsv(const QString& strText)
{
    PointCsvReading reading;
    bool bFirstDataLine = true;
    const QStringList lines = strText.split(u'\n');
    for (int nLine = 1; nLine <= lines.size(); ++nLine) {
        const QString strLine = lines[nLine - 1].trimmed();
        if (strLine.isEmpty() || strLine.startsWith(u'#'))
            continue;
        QStringList fields = strLine.split(u',');
        for (QString& strField : fields)
            strField = Unquoted(strField);
        // Spreadsheets write empty columns after the last.
        while (fields.size() > kMostColumns && fields.last().isEmpty())
            fields.removeLast();
        const bool bHeader = bFirstDataLine && !FieldNumber(fields.first());
        bFirstDataLine = false;
        if (bHeader)
            continue;
        const auto fail = [&](int nColumn, const QString& strWhat) {
            reading.rows.clear();
            reading.strError = QStringLiteral("line %1, column %2: %3").arg(nLine).arg(nColumn).arg(strWhat);
            return reading;
        };
        if (fields.size() > kMostColumns)
            return fail(kMostColumns + 1, QStringLiteral("at most three values: MHz, V and s"));
        PointRow row;
        std::optional<double> values[kMostColumns];
        for (int nColumn = 0; nColumn < fields.size(); ++nColumn) {
            if (fields[nColumn].isEmpty() && nColumn > 0)
                continue;
            values[nColumn] = FieldNumber(fields[nColumn]);
            if (!values[nColumn])
                return fail(nColumn + 1, QStringLiteral("\"%1\" is not a number").arg(fields[nColumn]));
        }
        row.dFrequencyMHz = *values[0];
        row.dAmplitudeVolts = values[1];
        row.dDwellSeconds = values[2];
        reading.rows.append(row);
    }
    return reading;
}

QString WritePointCsv(const PointRows& rows)
{
    QString strText = QStringLiteral("frequency_MHz,amplitude_V,dwell_s\n");
    for (const PointRow& row : rows) {
        QStringList fields{QString::number(row.dFrequencyMHz, 'g', 10), Cell(row.dAmplitudeVolts),
                           Cell(row.dDwellSeconds)};
        while (fields.last().isEmpty())
            fields.removeLast();
        strText += fields.join(u',') + u'\n';
    }
    return strText;
}
