// Gathers the groups the benchmarks wrote into one results file and prints
// them as a table.
#include "report/table.h"
#include "support/options.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>
#include <QThread>

#include <cstdio>

namespace {

QString CpuModel()
{
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (!cpuinfo.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : cpuinfo.readAll().split('\n')) {
        if (line.startsWith("model name"))
            return QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
    }
    return {};
}

QString LoadAverage()
{
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (!loadavg.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> fields = loadavg.readAll().split(' ');
    return QString::fromLatin1(fields.mid(0, 3).join(' '));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    CBenchOptions options;
    options.AddOut(QStringLiteral("Results file."));
    const QCommandLineOption modeOption = options.Add(QStringLiteral("mode"), QStringLiteral("full or quick."),
                                                      QStringLiteral("mode"), QStringLiteral("full"));
    const QCommandLineOption loadOption = options.Add(
        QStringLiteral("load-before"), QStringLiteral("Load average at the start."), QStringLiteral("text"));
    options.AddPositional(QStringLiteral("groups"), QStringLiteral("Files the benchmarks wrote."));
    options.Process(QCoreApplication::arguments());

    QJsonArray groups;
    for (const QString& strPath : options.Positional()) {
        QFile file(strPath);
        const QJsonDocument document = file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll())
                                                                      : QJsonDocument();
        if (!document.isObject()) {
            std::fprintf(stderr, "bench_report: %s holds no figures\n", qPrintable(strPath));
            return 1;
        }
        groups.append(document.object());
    }
    const QJsonObject machine{{QStringLiteral("cpu"), CpuModel()},
                              {QStringLiteral("cores"), QThread::idealThreadCount()},
                              {QStringLiteral("kernel"), QSysInfo::kernelVersion()},
                              {QStringLiteral("qt"), QString::fromLatin1(qVersion())},
                              {QStringLiteral("load_average_before"), options.Value(loadOption)},
                              {QStringLiteral("load_average_after"), LoadAverage()}};
    int nMet = 0;
    int nJudged = 0;
    CountMet(groups, nMet, nJudged);
    const QJsonObject results{{QStringLiteral("date"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
                              {QStringLiteral("mode"), options.Value(modeOption)},
                              {QStringLiteral("machine"), machine},
                              {QStringLiteral("targets_met"), nMet},
                              {QStringLiteral("targets"), nJudged},
                              {QStringLiteral("groups"), groups}};
    QFile out(options.Out());
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(QJsonDocument(results).toJson()) <= 0) {
        std::fprintf(stderr, "bench_report: cannot write %s\n", qPrintable(options.Out()));
        return 1;
    }
    std::fputs(qPrintable(FormatTable(groups)), stdout);
    std::printf("\n%d of %d targets met. %s, %d cores, Qt %s; load average %s before, %s after.\n", nMet, nJudged,
                qPrintable(CpuModel()), QThread::idealThreadCount(), qVersion(), qPrintable(options.Value(loadOption)),
                qPrintable(LoadAverage()));
    return 0;
}
