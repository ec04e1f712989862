// The floor under the report stream: the same board and stream read by a
// bare QSerialPort that only takes the bytes in, so that the window's figure
// can be set against what waking up for each report costs on this machine.
#include "protocol/frame.h"
#include "protocol/frame_builders.h"
#include "support/clock.h"
#include "support/figures.h"
#include "support/options.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSerialPort>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kBoardStartMs = 10000;
constexpr int kBoardEndMs = 30000;
constexpr qint64 kStopEarlyNs = 500 * 1000000LL;

QByteArray SealedSweepFrame()
{
    SweepFrameFields fields;
    fields.dwStartWord = 0x051EB851;
    fields.dwEndWord = 0x66666666;
    fields.nAmplitudeWord = 0x0FFF;
    fields.nStepCode = 6;
    fields.nIntervalCount = 5;
    QString strFrame = SweepFrame(0, fields);
    return SealFrame(strFrame);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    CBenchOptions options;
    options.AddBoard();
    options.AddSeconds();
    options.AddOut();
    options.Process(QCoreApplication::arguments());
    const double dSeconds = options.Seconds();

    QProcess board;
    board.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    board.start(options.Board(), {QStringLiteral("--seconds"), QString::number(dSeconds)});
    const QByteArray portLine = board.waitForReadyRead(kBoardStartMs) ? board.readLine().trimmed() : QByteArray();
    QSerialPort port(QString::fromLocal8Bit(portLine.mid(4)));
    if (!portLine.startsWith("pty ") || !port.open(QIODevice::ReadWrite)) {
        std::fprintf(stderr, "bench_stream_floor: no board to read\n");
        board.kill();
        board.waitForFinished();
        return 1;
    }
    port.setBaudRate(9600);

    qint64 nBytes = 0;
    qint64 nStartNs = 0;
    qint64 nStartCpuNs = 0;
    QObject::connect(&port, &QSerialPort::readyRead, &port, [&] {
        nBytes += port.readAll().size();
        // The first report follows the 2 bytes of the 4F 4B.
        if (nStartNs == 0 && nBytes > 2) {
            nStartNs = MonotonicNs();
            nStartCpuNs = ProcessCpuNs();
            QTimer::singleShot(static_cast<int>((dSeconds * 1e9 - kStopEarlyNs) / 1e6), &app, &QCoreApplication::quit);
        }
    });
    port.write(SealedSweepFrame());
    QTimer::singleShot(static_cast<int>(dSeconds * 1000) + kBoardStartMs, &app, &QCoreApplication::quit);
    QCoreApplication::exec();
    const qint64 nCpuNs = ProcessCpuNs() - nStartCpuNs;
    const qint64 nWallNs = MonotonicNs() - nStartNs;
    port.close();
    board.write("end\n");
    board.closeWriteChannel();
    board.waitForFinished(kBoardEndMs);
    if (nStartNs == 0) {
        std::fprintf(stderr, "bench_stream_floor: no report came\n");
        return 1;
    }

    Figure figure;
    figure.strName = QStringLiteral("bare QSerialPort reading the same stream");
    figure.strUnit = QStringLiteral("% core");
    figure.summary = Summarize({100.0 * static_cast<double>(nCpuNs) / static_cast<double>(nWallNs)});
    figure.strTarget = QStringLiteral("(floor)");
    const QStringList notes = {
        QStringLiteral("The floor took in %1 bytes in the time measured, with nothing else to do: the cost of waking up for each report.")
            .arg(nBytes)};
    if (!options.WriteFigures(options.Out(), QStringLiteral("report stream, floor of the stack"), {figure}, notes))
        return 1;
    return 0;
}
