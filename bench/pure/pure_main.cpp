#include "support/figures.h"
#include "support/options.h"

#include <benchmark/benchmark.h>

#include <QMap>

#include <string>

namespace {

constexpr double kFrameLimitNs = 1000;

// Keeps the console output and notes the time a call took in each
// repetition: CPU time, which other work on a shared machine does not
// inflate, with the wall-clock median kept for a note.
class CCollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        benchmark::ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            const QString strName = QString::fromStdString(run.run_name.function_name);
            if (!m_order.contains(strName))
                m_order.append(strName);
            m_nsPerCall[strName].append(run.GetAdjustedCPUTime() * NsPerUnit(run.time_unit));
            m_wallNsPerCall[strName].append(run.GetAdjustedRealTime() * NsPerUnit(run.time_unit));
        }
    }

    QList<Figure> Figures() const
    {
        QList<Figure> figures;
        for (const QString& strName : m_order) {
            Figure figure;
            figure.strName = strName;
            figure.strUnit = QStringLiteral("ns");
            figure.summary = Summarize(m_nsPerCall.value(strName));
            // Every part must fit inside the budget of a whole frame.
            figure.strTarget = strName.startsWith(QLatin1String("ComposeFrame")) ? QStringLiteral("< 1 µs a frame")
                                                                                  : QStringLiteral("< 1 µs (part of a frame)");
            figure.judged = Figure::Judged::Median;
            figure.dLimit = kFrameLimitNs;
            figures.append(figure);
        }
        return figures;
    }

    QStringList Notes() const
    {
        QStringList parts;
        for (const QString& strName : m_order)
            parts.append(QStringLiteral("%1 %2").arg(strName).arg(Summarize(m_wallNsPerCall.value(strName)).dMedian, 0, 'f', 0));
        return {QStringLiteral("Pure code is CPU time a call; wall-clock medians (ns), which include other work on the "
                               "machine: ")
                + parts.join(QStringLiteral(", "))};
    }

private:
    static double NsPerUnit(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kSecond:
            return 1e9;
        case benchmark::kMillisecond:
            return 1e6;
        case benchmark::kMicrosecond:
            return 1e3;
        default:
            return 1;
        }
    }

    QStringList m_order;
    QMap<QString, QList<double>> m_nsPerCall;
    QMap<QString, QList<double>> m_wallNsPerCall;
};

} // namespace

// Google Benchmark's own options, which it takes out of argv first, and
// --out FILE for the figures.
int main(int argc, char* argv[])
{
    benchmark::Initialize(&argc, argv);
    CBenchOptions options;
    options.AddOut();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    options.Process(arguments);
    CCollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (!options.Out().isEmpty()
        && !options.WriteFigures(options.Out(), QStringLiteral("pure code, CPU time of one call"), reporter.Figures(),
                                 reporter.Notes()))
        return 1;
    return 0;
}
