#include "pages/stepping/point_csv.h"

#include <QStringList>

#include <cmath>
#include <optional>

namespace {

struct Column {
    const char* pszName;
    const char* pszUnit;
};

constexpr Column kColumns[] = {{"frequency", "MHz"}, {"amplitude", "V"}, {"dwell", "s"}};
constexpr int kMostColumns = 3;

std::optional<double> FieldNumber(const QString& strField)
{
    bool bNumber = false;
    const double dValue = strField.toDouble(&bNumber);
    if (!bNumber || !std::isfinite(dValue))
        return std::nullopt;
    return dValue;
}

bool IsHeader(const QStringList& fields)
{
    const QString strFirst = fields.first().trimmed();
    return !strFirst.isEmpty() && !FieldNumber(strFirst) && strFirst.front().isLetter();
}

QString Cell(const std::optional<double>& value)
{
    return value ? QString::number(*value, 'g', 10) : QString();
}

} // namespace

PointCsvReading ReadPointCsv(const QString& strText)
{
    PointCsvReading reading;
    bool bHeaderAllowed = true;
    const QStringList lines = strText.split(u'\n');
    for (int nLine = 1; nLine <= lines.size(); ++nLine) {
        const QString strLine = lines[nLine - 1].section(u'#', 0, 0);
        if (strLine.trimmed().isEmpty())
            continue;
        const QStringList fields = strLine.split(u',');
        const bool bHeader = bHeaderAllowed && IsHeader(fields);
        bHeaderAllowed = false;
        if (bHeader)
            continue;
        const auto fail = [&](int nColumn, const QString& strWhy) {
            reading.rows.clear();
            reading.strError = QStringLiteral("line %1, column %2: %3.").arg(nLine).arg(nColumn).arg(strWhy);
            return reading;
        };
        if (fields.size() > kMostColumns)
            return fail(kMostColumns + 1, QStringLiteral("a point has at most 3 values: frequency, amplitude, dwell"));
        std::optional<double> values[kMostColumns];
        for (int nColumn = 0; nColumn < fields.size(); ++nColumn) {
            const QString strField = fields[nColumn].trimmed();
            const Column& column = kColumns[nColumn];
            if (strField.isEmpty() && nColumn == 0)
                return fail(1, QStringLiteral("no frequency"));
            if (strField.isEmpty())
                continue;
            values[nColumn] = FieldNumber(strField);
            if (!values[nColumn]) {
                return fail(nColumn + 1,
                            QStringLiteral("the %1 \"%2\" is not a number of %3")
                                .arg(QLatin1String(column.pszName), strField, QLatin1String(column.pszUnit)));
            }
        }
        reading.rows.append({*values[0], values[1], values[2]});
    }
    if (reading.rows.isEmpty())
        reading.strError = QStringLiteral("The list holds no points.");
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
