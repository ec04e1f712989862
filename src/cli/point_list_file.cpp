#include "cli/point_list_file.h"

#include "cli/exit_code.h"
#include "cli/strict_number.h"
#include "protocol/limits.h"

#include <QFile>

namespace {

struct Column {
    const char* pszName;
    const char* pszUnit;
};

constexpr Column kColumns[] = {{"frequency", "MHz"}, {"amplitude", "V"}, {"dwell", "s"}};

QString Number(double dValue)
{
    return QString::number(dValue, 'g', 10);
}

class CLineReader {
public:
    CLineReader(int nLine, const PointListRules& rules, QStringList& notices)
        : m_nLine(nLine)
        , m_rules(rules)
        , m_notices(notices)
    {
    }

    StepPoint Read(const QStringList& fields) const
    {
        if (fields.size() > 3)
            throw Fault(4, QStringLiteral("a point has at most 3 values: frequency, amplitude, dwell"));
        StepPoint point;
        point.dFrequencyMHz = Value(fields, 0, std::nullopt, kLowestFrequencyMHz, kHighestFrequencyMHz);
        point.dAmplitudeVolts = Value(fields, 1, m_rules.amplitudeVolts, kLowestAmplitudeVolts, kHighestAmplitudeVolts);
        point.dDwellSeconds = Value(fields, 2, m_rules.dwellSeconds, m_rules.dLeastDwellSeconds, kMostDwellSeconds);
        return point;
    }

private:
    InputError Fault(int nColumn, const QString& strWhy) const
    {
        return InputError(QStringLiteral("line %1, column %2: %3.").arg(m_nLine).arg(nColumn).arg(strWhy));
    }

    double Value(const QStringList& fields, int nField, std::optional<double> fallback, double dLowest,
                 double dHighest) const
    {
        const Column& column = kColumns[nField];
        const QString strText = fields.value(nField).trimmed();
        if (strText.isEmpty()) {
            if (fallback)
                return *fallback;
            throw Fault(nField + 1, QStringLiteral("no %1, and no --%1 for lines without one").arg(column.pszName));
        }
        const std::optional<double> value = ReadDecimal(strText);
        if (!value) {
            throw Fault(nField + 1, QStringLiteral("the %1 \"%2\" is not a number of %3")
                                         .arg(QLatin1String(column.pszName), strText, QLatin1String(column.pszUnit)));
        }
        if (*value >= dLowest && *value <= dHighest)
            return *value;
        const double dBound = *value > dHighest ? dHighest : dLowest;
        const QString strRange = QStringLiteral("%1 %2 is outside %3 to %4 %5")
                                     .arg(QLatin1String(column.pszName), strText, Number(dLowest), Number(dHighest),
                                          QLatin1String(column.pszUnit));
        if (!m_rules.bClamp)
            throw Fault(nField + 1, strRange + QStringLiteral("; --clamp sends the nearer bound"));
        m_notices.append(QStringLiteral("line %1: %2; sending %3 %4")
                             .arg(m_nLine)
                             .arg(strRange, Number(dBound), QLatin1String(column.pszUnit)));
        return dBound;
    }

    int m_nLine;
    const PointListRules& m_rules;
    QStringList& m_notices;
};

// A header row names its columns: its first field is no number at all.
bool IsHeader(const QStringList& fields)
{
    const QString strFirst = fields.value(0).trimmed();
    return !strFirst.isEmpty() && !ReadDecimal(strFirst) && strFirst.front().isLetter();
}

} // namespace

StepPoints ReadPointList(const QString& strText, const PointListRules& rules, QStringList& notices)
{
    StepPoints points;
    const QStringList lines = strText.split(QLatin1Char('\n'));
    bool bHeaderAllowed = true;
    for (int i = 0; i < lines.size(); ++i) {
        QString strLine = lines[i];
        strLine.truncate(strLine.indexOf(QLatin1Char('#')) < 0 ? strLine.size() : strLine.indexOf(QLatin1Char('#')));
        if (strLine.trimmed().isEmpty())
            continue;
        const QStringList fields = strLine.split(QLatin1Char(','));
        const bool bHeader = bHeaderAllowed && IsHeader(fields);
        bHeaderAllowed = false;
        if (!bHeader)
            points.append(CLineReader(i + 1, rules, notices).Read(fields));
    }
    if (points.isEmpty())
        throw InputError(QStringLiteral("The list holds no points."));
    return points;
}

QString ReadPointListFile(const QString& strPath)
{
    QFile file(strPath);
    const bool bOpen = strPath == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                     : file.open(QIODevice::ReadOnly);
    if (!bOpen)
        throw InputError(QStringLiteral("Cannot read the list \"%1\": %2.").arg(strPath, file.errorString()));
    return QString::fromUtf8(file.readAll());
}
