#include "stream/stream_floors.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Room above the floors for the watch, the drain and the receive display.
constexpr double kFloorsFactor = 1.15;

QString Percent(double dValue)
{
    return QString::number(dValue, 'f', 2);
}

} // namespace

std::optional<double> ReadFloorPercent(const QString& strPath)
{
    QFile file(strPath);
    if (strPath.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonArray figures =
        QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("figures")).toArray();
    if (figures.isEmpty())
        return std::nullopt;
    const QJsonObject figure = figures.first().toObject();
    const QJsonValue median = figure.value(QLatin1String("median"));
    if (figure.value(QLatin1String("runs")).toInt() < 1 || !median.isDouble())
        return std::nullopt;
    return median.toDouble();
}

CpuTarget StreamCpuTarget(const StreamFloors& floors)
{
    const QString strRule = QStringLiteral("%1 x (display floor + serial floor)").arg(kFloorsFactor);
    CpuTarget target;
    if (floors.displayPercent && floors.serialPercent) {
        target.dLimit = kFloorsFactor * (*floors.displayPercent + *floors.serialPercent);
        target.judged = Figure::Judged::Median;
        target.strTarget = QStringLiteral("<= %1 x (%2 + %3) = %4 %")
                               .arg(QString::number(kFloorsFactor), Percent(*floors.displayPercent),
                                    Percent(*floors.serialPercent), Percent(target.dLimit));
        target.strNote = QStringLiteral("CPU during the stream is held to %1, both floors measured in this run.")
                             .arg(strRule);
        return target;
    }
    const QString strMissing = !floors.displayPercent && !floors.serialPercent ? QStringLiteral("floors")
                               : !floors.displayPercent                        ? QStringLiteral("display floor")
                                                                               : QStringLiteral("serial floor");
    target.strTarget = QStringLiteral("not judged: no %1").arg(strMissing);
    target.strNote = QStringLiteral("CPU during the stream is NOT judged: this run has no %1; its target is %2.")
                         .arg(strMissing, strRule);
    return target;
}
