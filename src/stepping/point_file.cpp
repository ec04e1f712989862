#include "stepping/point_file.h"

#include "encoding/strict_decimal.h"

#include <QStringList>

#include <cmath>

namespace {

struct Column {
    const char* pszName;
    const char* pszUnit;
};

constexpr Column kColumns[] = {{"frequency", "MHz"}, {"amplitude", "V"}, {"dwell", "s"}};
constexpr int kMostColumns = 3;

// A header row names its columns: its first field is no number at all.
bool IsHeader(const QStringList& fields)
{
    const QString strFirst = fields.first().trimmed();
    return !strFirst.isEmpty() && !ReadDecimal(strFirst) && strFirst.front().isLetter();
}

QString Cell(const std::optional<double>& value)
{
    return value ? QString::number(*value, 'g', 10) : QString();
}

QString Fault(int nLine, int nColumn, const QString& strWhy)
{
    return QStringLiteral("line %1, column %2: %3.").arg(nLine).arg(nColumn).arg(strWhy);
}

// Why a field is no value for its column, or an empty text; an empty field
// leaves the value unset.
QString ReadField(const QString& strField, int nLine, int nColumn, std::optional<double>& value)
{
    if (strField.isEmpty())
        return QString();
    value = ReadDecimal(strField);
    const QString strName = PointColumnName(nColumn);
    if (!value) {
        return Fault(nLine, nColumn, QStringLiteral("the %1 \"%2\" is not a number of %3")
                                         .arg(strName, strField, PointColumnUnit(nColumn)));
    }
    if (!std::isfinite(*value)) {
        return Fault(nLine, nColumn,
                     QStringLiteral("the %1 %2 is beyond what a number can hold").arg(strName, strField));
    }
    return QString();
}

// Why a line holds no point, or an empty text with the row filled.
QString ReadRow(const QStringList& fields, int nLine, PointRow& row)
{
    if (fields.size() > kMostColumns) {
        return Fault(nLine, kMostColumns + 1,
                     QStringLiteral("a point has at most 3 values: frequency, amplitude, dwell"));
    }
    std::optional<double> values[kMostColumns];
    for (int nField = 0; nField < fields.size(); ++nField) {
        const QString strError = ReadField(fields[nField].trimmed(), nLine, nField + 1, values[nField]);
        if (!strError.isEmpty())
            return strError;
    }
    if (!values[0])
        return Fault(nLine, kFrequencyColumn, QStringLiteral("no frequency"));
    row = {*values[0], values[1], values[2]};
    return QString();
}

} // namespace

PointFileReading ReadPointFile(const QString& strText)
{
    PointFileReading reading;
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
        PointRow row;
        reading.strError = ReadRow(fields, nLine, row);
        if (!reading.strError.isEmpty()) {
            reading.rows.clear();
            reading.lines.clear();
            return reading;
        }
        reading.rows.append(row);
        reading.lines.append(nLine);
    }
    if (reading.rows.isEmpty())
        reading.strError = QStringLiteral("The list holds no points.");
    return reading;
}

QString WritePointFile(const PointRows& rows)
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

QString PointColumnName(int nColumn)
{
    return QLatin1String(kColumns[nColumn - 1].pszName);
}

QString PointColumnUnit(int nColumn)
{
    return QLatin1String(kColumns[nColumn - 1].pszUnit);
}
