#include "cli/point_list_file.h"

#include "cli/exit_code.h"
#include "protocol/limits.h"
#include "stepping/point_file.h"

#include <QFile>

namespace {

QString Number(double dValue)
{
    return QString::number(dValue, 'g', 10);
}

// Judges the values of one line: what it leaves out, the rules give; what
// is out of range, they refuse or clamp.
class CLineRules {
public:
    CLineRules(int nLine, const PointListRules& rules, QStringList& notices)
        : m_nLine(nLine)
        , m_rules(rules)
        , m_notices(notices)
    {
    }

    StepPoint Judge(const PointRow& row) const
    {
        StepPoint point;
        point.dFrequencyMHz = Value(kFrequencyColumn, row.dFrequencyMHz, kLowestFrequencyMHz, kHighestFrequencyMHz);
        const double dAmplitude = Given(kAmplitudeColumn, row.dAmplitudeVolts, m_rules.amplitudeVolts);
        point.dAmplitudeVolts = Value(kAmplitudeColumn, dAmplitude, kLowestAmplitudeVolts, kHighestAmplitudeVolts);
        const double dDwell = Given(kDwellColumn, row.dDwellSeconds, m_rules.dwellSeconds);
        point.dDwellSeconds = Value(kDwellColumn, dDwell, m_rules.dLeastDwellSeconds, kMostDwellSeconds);
        return point;
    }

private:
    InputError Fault(int nColumn, const QString& strWhy) const
    {
        return InputError(QStringLiteral("line %1, column %2: %3.").arg(m_nLine).arg(nColumn).arg(strWhy));
    }

    double Given(int nColumn, std::optional<double> value, std::optional<double> fallback) const
    {
        if (value)
            return *value;
        if (fallback)
            return *fallback;
        throw Fault(nColumn, QStringLiteral("no %1, and no --%1 for lines without one").arg(PointColumnName(nColumn)));
    }

    double Value(int nColumn, double dValue, double dLowest, double dHighest) const
    {
        if (dValue >= dLowest && dValue <= dHighest)
            return dValue;
        const double dBound = dValue > dHighest ? dHighest : dLowest;
        const QString strUnit = PointColumnUnit(nColumn);
        const QString strRange = QStringLiteral("%1 %2 is outside %3 to %4 %5")
                                     .arg(PointColumnName(nColumn), Number(dValue), Number(dLowest), Number(dHighest),
                                          strUnit);
        if (!m_rules.bClamp)
            throw Fault(nColumn, strRange + QStringLiteral("; --clamp sends the nearer bound"));
        m_notices.append(
            QStringLiteral("line %1: %2; sending %3 %4").arg(m_nLine).arg(strRange, Number(dBound), strUnit));
        return dBound;
    }

    int m_nLine;
    const PointListRules& m_rules;
    QStringList& m_notices;
};

} // namespace

StepPoints ReadPointList(const QString& strText, const PointListRules& rules, QStringList& notices)
{
    const PointFileReading reading = ReadPointFile(strText);
    if (!reading.strError.isEmpty())
        throw InputError(reading.strError);
    StepPoints points;
    for (int i = 0; i < reading.rows.size(); ++i)
        points.append(CLineRules(reading.lines[i], rules, notices).Judge(reading.rows[i]));
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
