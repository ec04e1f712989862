// The window's side of the report stream: this process is the one measured.
// It starts the board as a process of its own, runs the real main window
// against it and writes the figures, its CPU judged against the floors that
// the same run measured before it.
#include "pages/ms_comm.h"
#include "serial/traffic_log.h"
#include "stream/log_cost.h"
#include "stream/stream_figures.h"
#include "stream/stream_window.h"
#include "support/options.h"
#include "support/probe_application.h"

#include <QProcess>

#include <cstdio>

namespace {

constexpr int kBoardStartMs = 10000;
constexpr int kBoardEndMs = 30000;

} // namespace

int main(int argc, char* argv[])
{
    CProbeApplication app(argc, argv);
    CBenchOptions options;
    options.AddBoard();
    options.AddSeconds();
    const QCommandLineOption idleOption =
        options.Add(QStringLiteral("idle-seconds"), QStringLiteral("Idle time measured first."), QStringLiteral("s"),
                    QStringLiteral("10"));
    const QCommandLineOption displayFloorOption =
        options.Add(QStringLiteral("display-floor"), QStringLiteral("Figures file of bench_display_floor."),
                    QStringLiteral("file"));
    const QCommandLineOption serialFloorOption =
        options.Add(QStringLiteral("serial-floor"), QStringLiteral("Figures file of bench_stream_floor."),
                    QStringLiteral("file"));
    options.AddOut();
    const QCommandLineOption logOption =
        options.Add(QStringLiteral("log"), QStringLiteral("Run with the traffic log on, into file."),
                    QStringLiteral("file"));
    const QCommandLineOption withoutLogOption =
        options.Add(QStringLiteral("without-log"), QStringLiteral("Figures file of the same stream without the log."),
                    QStringLiteral("file"));
    options.AddAdapterLatency();
    options.Process(QCoreApplication::arguments());
    const double dSeconds = options.Seconds();
    const double dIdleSeconds = qMax(1.0, options.Value(idleOption).toDouble());
    const int nAdapterLatencyMs = options.AdapterLatencyMs();

    QProcess board;
    board.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    board.start(options.Board(), {QStringLiteral("--seconds"), QString::number(dSeconds),
                                  QStringLiteral("--adapter-latency"), QString::number(nAdapterLatencyMs)});
    if (!board.waitForReadyRead(kBoardStartMs)) {
        std::fprintf(stderr, "bench_stream: the board did not start\n");
        return 1;
    }
    const QByteArray portLine = board.readLine().trimmed();
    if (!portLine.startsWith("pty ")) {
        std::fprintf(stderr, "bench_stream: the board said %s\n", portLine.constData());
        return 1;
    }

    const QString strLog = options.Value(logOption);
    QString strError;
    CTrafficLog trafficLog;
    if (!strLog.isEmpty() && !trafficLog.Open(strLog, strError)) {
        std::fprintf(stderr, "bench_stream: %s\n", qPrintable(strError));
        return 1;
    }
    // A pseudo-terminal is no USB device: the latency is given, as for an
    // adapter the system does not report, before the window opens the port.
    if (nAdapterLatencyMs > 0)
        g_msComm.SetAdapterLatency(nAdapterLatencyMs);
    g_msComm.SetTrafficLog(&trafficLog);
    WindowRecord record;
    if (!RecordWindow(app, QString::fromLocal8Bit(portLine.mid(4)), dSeconds, dIdleSeconds, record, strError)) {
        std::fprintf(stderr, "bench_stream: %s\n", qPrintable(strError));
        board.kill();
        board.waitForFinished();
        return 1;
    }
    board.write("end\n");
    board.closeWriteChannel();
    BoardLog log;
    if (!board.waitForFinished(kBoardEndMs) || !ParseBoardLog(board.readAllStandardOutput(), log)) {
        std::fprintf(stderr, "bench_stream: the board's log is missing\n");
        return 1;
    }
    const StreamFloors floors{ReadFloorPercent(options.Value(displayFloorOption)),
                              ReadFloorPercent(options.Value(serialFloorOption))};
    QStringList notes;
    QList<Figure> figures = StreamFigures(record, log, floors, nAdapterLatencyMs, notes);
    QString strGroup = QStringLiteral("report stream, %1 s").arg(dSeconds);
    if (nAdapterLatencyMs > 0)
        strGroup += QStringLiteral(", behind a %1 ms USB-serial adapter").arg(nAdapterLatencyMs);
    if (!strLog.isEmpty()) {
        g_msComm.SetTrafficLog(nullptr);
        trafficLog.Close();
        const int nBytesPerEvent = record.nReceiveEvents > 0 ? static_cast<int>(record.nBytesReceived / record.nReceiveEvents) : 4;
        const double dPerEventNs = LogCostPerEventNs(strLog + QStringLiteral(".replay"), nBytesPerEvent);
        figures += LogFigures(record, dSeconds, dPerEventNs, options.Value(withoutLogOption), notes);
        strGroup += QStringLiteral(", with --log");
    }
    if (!options.WriteFigures(options.Out(), strGroup, figures, notes))
        return 1;
    return 0;
}
