// Start-up under X: from the exec of a program to its window being mapped,
// and its resident memory once it has settled, for the program and for the
// floor of its stack, in alternating runs. The display must be running
// (scripts/bench starts one under xvfb-run).
#include "startup/map_watch.h"
#include "support/clock.h"
#include "support/figures.h"
#include "support/options.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <cstdio>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kMapTimeoutMs = 20000;
constexpr double kFloorFactor = 1.3;
constexpr double kResidentLimitMb = 40;

struct Start {
    double dMappedMs = 0;
    double dResidentMb = 0;
};

double ResidentMb(pid_t nPid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(nPid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

// Nothing but the time of the exec and of the mapping is taken while the
// program starts.
bool StartOnce(CMapWatch& watch, const QByteArray& program, const QList<QByteArray>& args, int nSettleMs, Start& start)
{
    std::vector<char*> argv{const_cast<char*>(program.constData())};
    for (const QByteArray& arg : args)
        argv.push_back(const_cast<char*>(arg.constData()));
    argv.push_back(nullptr);
    pid_t nPid = 0;
    const qint64 nExecNs = MonotonicNs();
    if (::posix_spawn(&nPid, program.constData(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    const qint64 nMappedNs = watch.WaitForWindowOf(nPid, kMapTimeoutMs);
    if (nMappedNs != 0) {
        QThread::msleep(static_cast<unsigned long>(nSettleMs));
        start.dMappedMs = (nMappedNs - nExecNs) / 1e6;
        start.dResidentMb = ResidentMb(nPid);
    }
    ::kill(nPid, SIGTERM);
    ::waitpid(nPid, nullptr, 0);
    return nMappedNs != 0 && start.dResidentMb > 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    CBenchOptions options;
    const QCommandLineOption programOption =
        options.Add(QStringLiteral("program"), QStringLiteral("vevevar-azevora."), QStringLiteral("path"));
    const QCommandLineOption floorOption =
        options.Add(QStringLiteral("floor"), QStringLiteral("The empty dialog."), QStringLiteral("path"));
    options.AddRuns(15);
    const QCommandLineOption settleOption =
        options.Add(QStringLiteral("settle-ms"), QStringLiteral("Wait after the mapping before memory is read."),
                    QStringLiteral("ms"), QStringLiteral("500"));
    options.AddOut();
    options.Process(QCoreApplication::arguments());
    const int nRuns = options.Runs();
    const int nSettleMs = qMax(0, options.Value(settleOption).toInt());

    CMapWatch watch;
    if (!watch.IsConnected()) {
        std::fprintf(stderr, "bench_startup: no X display\n");
        return 1;
    }
    const QByteArray program = QFile::encodeName(options.Value(programOption));
    const QByteArray floor = QFile::encodeName(options.Value(floorOption));
    QList<double> programMs;
    QList<double> floorMs;
    QList<double> ratios;
    QList<double> programMb;
    QList<double> floorMb;
    int nFailed = 0;
    // The first pair only warms the caches.
    for (int i = 0; i <= nRuns; ++i) {
        Start ours;
        Start bare;
        if (!StartOnce(watch, program, {"--simulate"}, nSettleMs, ours) || !StartOnce(watch, floor, {}, nSettleMs, bare)) {
            ++nFailed;
            continue;
        }
        if (i == 0)
            continue;
        programMs.append(ours.dMappedMs);
        floorMs.append(bare.dMappedMs);
        ratios.append(ours.dMappedMs / bare.dMappedMs);
        programMb.append(ours.dResidentMb);
        floorMb.append(bare.dResidentMb);
    }

    const QList<Figure> figures = {
        MakeFigure(QStringLiteral("vevevar-azevora --simulate: exec -> window mapped"), QStringLiteral("ms"), programMs,
            QStringLiteral("<= 1.3 x floor")),
        MakeFigure(QStringLiteral("empty dialog, two tabs: exec -> window mapped"), QStringLiteral("ms"), floorMs,
            QStringLiteral("(floor)")),
        MakeFigure(QStringLiteral("start-up time against the floor, run by run"), QStringLiteral("x"), ratios,
            QStringLiteral("<= 1.3"), Figure::Judged::Median, kFloorFactor),
        MakeFigure(QStringLiteral("vevevar-azevora --simulate: resident memory"), QStringLiteral("MB"), programMb,
            QStringLiteral("< 40 MB"), Figure::Judged::Median, kResidentLimitMb),
        MakeFigure(QStringLiteral("empty dialog, two tabs: resident memory"), QStringLiteral("MB"), floorMb,
            QStringLiteral("(floor)")),
    };
    const QStringList notes = {
        QStringLiteral("Under Xvfb: the time the display reports the window mapped, taken by a client listening on "
                       "the root window; resident memory (VmRSS) %1 ms later. Runs alternate; the first pair is not "
                       "counted; pairs that failed: %2.")
            .arg(nSettleMs)
            .arg(nFailed)};
    if (!options.WriteFigures(options.Out(), QStringLiteral("start-up under Xvfb"), figures, notes))
        return 1;
    return 0;
}
