#include "support/figures.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

std::pair<const char*, double> JudgedValue(const Figure& figure)
{
    switch (figure.judged) {
    case Figure::Judged::Min:
        return {"min", figure.summary.dMin};
    case Figure::Judged::Max:
        return {"max", figure.summary.dMax};
    default:
        return {"median", figure.summary.dMedian};
    }
}

} // namespace

Summary Summarize(QList<double> values)
{
    Summary summary;
    summary.nRuns = static_cast<int>(values.size());
    if (values.isEmpty())
        return summary;
    std::sort(values.begin(), values.end());
    const qsizetype nMiddle = values.size() / 2;
    summary.dMedian = values.size() % 2 ? values[nMiddle] : (values[nMiddle - 1] + values[nMiddle]) / 2;
    summary.dMin = values.first();
    summary.dMax = values.last();
    return summary;
}

double Percentile(QList<double> values, double dFraction)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto nRank = static_cast<qsizetype>(std::ceil(dFraction * static_cast<double>(values.size())));
    return values[std::clamp<qsizetype>(nRank - 1, 0, values.size() - 1)];
}

Figure MakeFigure(const QString& strName, const QString& strUnit, const QList<double>& values, const QString& strTarget,
                  Figure::Judged judged, double dLimit, bool bAtMost)
{
    Figure figure;
    figure.strName = strName;
    figure.strUnit = strUnit;
    figure.summary = Summarize(values);
    figure.strTarget = strTarget;
    figure.judged = judged;
    figure.dLimit = dLimit;
    figure.bAtMost = bAtMost;
    return figure;
}

QJsonObject ToJson(const Figure& figure)
{
    QJsonObject object{{QStringLiteral("name"), figure.strName},
                       {QStringLiteral("unit"), figure.strUnit},
                       {QStringLiteral("median"), figure.summary.dMedian},
                       {QStringLiteral("min"), figure.summary.dMin},
                       {QStringLiteral("max"), figure.summary.dMax},
                       {QStringLiteral("runs"), figure.summary.nRuns},
                       {QStringLiteral("target"), figure.strTarget}};
    if (figure.judged == Figure::Judged::None)
        return object;
    const auto [pszJudged, dValue] = JudgedValue(figure);
    const bool bMet = figure.summary.nRuns > 0 && (figure.bAtMost ? dValue <= figure.dLimit : dValue >= figure.dLimit);
    object.insert(QStringLiteral("judged"), QString::fromLatin1(pszJudged));
    object.insert(QStringLiteral("limit"), figure.dLimit);
    object.insert(QStringLiteral("at_most"), figure.bAtMost);
    object.insert(QStringLiteral("met"), bMet);
    return object;
}

bool WriteGroup(const QString& strPath, const QString& strGroup, const QList<Figure>& figures, const QStringList& notes)
{
    QJsonArray rows;
    for (const Figure& figure : figures)
        rows.append(ToJson(figure));
    const QJsonObject group{{QStringLiteral("group"), strGroup},
                            {QStringLiteral("figures"), rows},
                            {QStringLiteral("notes"), QJsonArray::fromStringList(notes)}};
    QFile file(strPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(QJsonDocument(group).toJson()) > 0;
}
