#include "report/table.h"

#include <QJsonObject>
#include <QStringList>

#include <cmath>

namespace {

constexpr int kNameWidth = 50;
constexpr int kNumberWidth = 9;
constexpr int kUnitWidth = 7;
constexpr int kRunsWidth = 5;
constexpr int kTargetWidth = 32;

QString Number(double dValue, const QString& strUnit)
{
    if (strUnit == QLatin1String("yes/no"))
        return dValue >= 1 ? QStringLiteral("yes") : QStringLiteral("no");
    const double dMagnitude = std::fabs(dValue);
    int nDecimals = 0;
    if (dValue != 0 && dMagnitude < 0.1)
        nDecimals = 3;
    else if (dMagnitude < 10)
        nDecimals = 2;
    else if (dMagnitude < 100)
        nDecimals = 1;
    return QString::number(dValue, 'f', nDecimals);
}

QString Verdict(const QJsonObject& figure)
{
    if (!figure.contains(QLatin1String("met")))
        return QStringLiteral("-");
    return figure.value(QLatin1String("met")).toBool() ? QStringLiteral("yes")
                                                        : QStringLiteral("NO");
}

} // namespace

QString FormatTable(const QJsonArray& groups)
{
    QStringList lines;
    lines << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
                 .arg(QStringLiteral("figure"), -kNameWidth)
                 .arg(QStringLiteral("median"), kNumberWidth)
                 .arg(QStringLiteral("min"), kNumberWidth)
                 .arg(QStringLiteral("max"), kNumberWidth)
                 .arg(QStringLiteral("unit"), -kUnitWidth)
                 .arg(QStringLiteral("runs"), kRunsWidth)
                 .arg(QStringLiteral("target"), -kTargetWidth)
                 .arg(QStringLiteral("met"));
    QStringList notes;
    for (const QJsonValue& groupValue : groups) {
        const QJsonObject group = groupValue.toObject();
        lines << QString() << group.value(QLatin1String("group")).toString();
        for (const QJsonValue& figureValue : group.value(QLatin1String("figures")).toArray()) {
            const QJsonObject figure = figureValue.toObject();
            const QString strUnit = figure.value(QLatin1String("unit")).toString();
            const auto value = [&](const char* pszKey) {
                return Number(figure.value(QLatin1String(pszKey)).toDouble(), strUnit);
            };
            lines << QStringLiteral("  %1 %2 %3 %4 %5 %6 %7 %8")
                         .arg(figure.value(QLatin1String("name")).toString(), -(kNameWidth - 2))
                         .arg(value("median"), kNumberWidth)
                         .arg(value("min"), kNumberWidth)
                         .arg(value("max"), kNumberWidth)
                         .arg(strUnit, -kUnitWidth)
                         .arg(figure.value(QLatin1String("runs")).toInt(), kRunsWidth)
                         .arg(figure.value(QLatin1String("target")).toString(), -kTargetWidth)
                         .arg(Verdict(figure));
        }
        for (const QJsonValue& note : group.value(QLatin1String("notes")).toArray())
            notes << QStringLiteral("- ") + note.toString();
    }
    lines << QString() << notes;
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void CountMet(const QJsonArray& groups, int& nMet, int& nJudged)
{
    nMet = 0;
    nJudged = 0;
    for (const QJsonValue& groupValue : groups) {
        for (const QJsonValue& figureValue : groupValue.toObject().value(QLatin1String("figures")).toArray()) {
            const QJsonObject figure = figureValue.toObject();
            if (!figure.contains(QLatin1String("met")))
                continue;
            ++nJudged;
            nMet += figure.value(QLatin1String("met")).toBool() ? 1 : 0;
        }
    }
}
