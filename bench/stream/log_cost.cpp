#include "stream/log_cost.h"

#include "serial/traffic_log.h"
#include "support/clock.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kReplayedEvents = 20000;
constexpr double kLogLimitPercent = 0.2;

const QString kPerSecondName = QStringLiteral("CPU during the stream, per second");
const QString kWholeName = QStringLiteral("CPU during the stream, whole");

// In the stream a line is gathered inside a turn and written as the loop is
// about to wait at its end: one write for each event here, as for each drain
// there.
qint64 TurnsCpuNs(CTrafficLog& log, const QByteArray& bytes, bool bLogged)
{
    const qint64 nStartNs = ProcessCpuNs();
    for (int i = 0; i < kReplayedEvents; ++i) {
        if (bLogged)
            log.Received(bytes);
        QCoreApplication::processEvents();
        if (bLogged)
            log.Flush();
    }
    return ProcessCpuNs() - nStartNs;
}

Figure Row(const QString& strName, double dValue, const QString& strTarget, Figure::Judged judged, double dLimit)
{
    return MakeFigure(strName, QStringLiteral("% core"), {dValue}, strTarget, judged, dLimit);
}

} // namespace

double LogCostPerEventNs(const QString& strPath, int nBytes)
{
    QString strError;
    QFile::remove(strPath);
    CTrafficLog log;
    if (!log.Open(strPath, strError))
        return -1;
    const QByteArray bytes(qMax(1, nBytes), '\x19');
    // Warmed up first, then the turns alone and the turns with the log.
    TurnsCpuNs(log, bytes, true);
    const qint64 nBareNs = TurnsCpuNs(log, bytes, false);
    const qint64 nLoggedNs = TurnsCpuNs(log, bytes, true);
    log.Close();
    QFile::remove(strPath);
    return static_cast<double>(nLoggedNs - nBareNs) / kReplayedEvents;
}

std::optional<double> ReadFigureMedian(const QString& strPath, const QString& strName)
{
    QFile file(strPath);
    if (strPath.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonArray figures = QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("figures")).toArray();
    for (const QJsonValue& value : figures) {
        const QJsonObject figure = value.toObject();
        if (figure.value(QLatin1String("name")).toString() == strName && figure.value(QLatin1String("median")).isDouble())
            return figure.value(QLatin1String("median")).toDouble();
    }
    return std::nullopt;
}

QList<Figure> LogFigures(const WindowRecord& record, double dStreamSeconds, double dPerEventNs,
                         const QString& strWithoutLogFigures, QStringList& notes)
{
    const double dEventsPerSecond = record.nReceiveEvents / dStreamSeconds;
    const double dLogPercent = 100.0 * dPerEventNs * dEventsPerSecond / 1e9;
    notes.append(QStringLiteral("The log wrote one rx line and one write per receive event, %1 a second; replayed "
                                "apart, an event costs the log %2 us.")
                     .arg(dEventsPerSecond, 0, 'f', 1)
                     .arg(dPerEventNs / 1000.0, 0, 'f', 1));
    QList<Figure> figures{Row(QStringLiteral("traffic log's own cost during the stream"), dLogPercent,
                              QStringLiteral("< 0.2 %"), Figure::Judged::Median, kLogLimitPercent)};
    const QList<double>& perSecond = record.cpuPercentPerSecond;
    const double dWithPerSecond = Summarize(perSecond).dMedian;
    for (const auto& [strName, dWith] : {std::pair{kPerSecondName, dWithPerSecond}, std::pair{kWholeName, record.dCpuPercentWhole}}) {
        const std::optional<double> without = ReadFigureMedian(strWithoutLogFigures, strName);
        figures.append(Row(strName + QStringLiteral(", with --log"), dWith, QStringLiteral("shown"), Figure::Judged::None, 0));
        if (!without)
            continue;
        figures.append(Row(strName + QStringLiteral(", without (the run before)"), *without, QStringLiteral("shown"),
                           Figure::Judged::None, 0));
        figures.append(Row(strName + QStringLiteral(", with minus without"), dWith - *without,
                           QStringLiteral("shown: run-to-run noise"), Figure::Judged::None, 0));
    }
    return figures;
}
