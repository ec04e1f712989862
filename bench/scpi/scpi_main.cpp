// The SCPI server over loopback: the round trip of *IDN?, a FREQ set until
// its last byte reaches the virtual board, and how fast a script drives the
// board, against vevevar-cli serve as a client would see it.
#include "scpi/line_speed.h"
#include "support/clock.h"
#include "support/figures.h"
#include "support/options.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>

#include <cstdio>

namespace {

constexpr int kWaitMs = 30000;
constexpr int kWarmUpRuns = 5;
constexpr double kIdentityLimitUs = 500;
constexpr double kToBoardLimitUs = 1000;
// A script's FREQ x;*OPC? at 40 a second.
constexpr double kOpcRoundTripLimitMs = 25;
constexpr double kOpcRateLimit = 40;
constexpr double kAnswerAfterAckLimitMs = 5;
constexpr double kExitAfterAckLimitMs = 60;
// A point frame of 18 bytes and its 2-byte answer, 10 bits a character.
constexpr double kPointLineMs = 20 * 10 * 1000.0 / 9600;

bool ReadLine(QIODevice& device, QByteArray& line)
{
    while (!device.canReadLine()) {
        if (!device.waitForReadyRead(kWaitMs))
            return false;
    }
    line = device.readLine();
    return true;
}

// The answer to one message, timed from the write to its newline.
bool TimeQuery(QTcpSocket& socket, const QByteArray& message, QByteArray& answer, double& dMicroseconds)
{
    const qint64 nStartNs = MonotonicNs();
    socket.write(message + '\n');
    socket.flush();
    if (!ReadLine(socket, answer))
        return false;
    dMicroseconds = static_cast<double>(MonotonicNs() - nStartNs) / 1000.0;
    return true;
}

// From the write of a FREQ set to the server's report that the board took
// the whole frame in; then waits until the exchange has ended.
bool TimeToBoard(QTcpSocket& socket, QProcess& server, int nRun, double& dMicroseconds)
{
    const qint64 nStartNs = MonotonicNs();
    socket.write(QStringLiteral("FREQ %1 MHZ\n").arg(100 + nRun % 200).toLatin1());
    socket.flush();
    QByteArray line;
    do {
        if (!ReadLine(server, line))
            return false;
    } while (!line.contains("board received "));
    dMicroseconds = static_cast<double>(MonotonicNs() - nStartNs) / 1000.0;
    QByteArray answer;
    double dUnused = 0;
    return TimeQuery(socket, "*OPC?", answer, dUnused) && answer == "1\n";
}

Figure Row(const QString& strName, const QList<double>& values, const QString& strTarget, double dLimit)
{
    return MakeFigure(strName, QStringLiteral("µs"), values, strTarget, Figure::Judged::Median, dLimit);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    CBenchOptions options;
    options.AddRuns(50);
    const QCommandLineOption cliOption =
        options.Add(QStringLiteral("cli"), QStringLiteral("The vevevar-cli program."), QStringLiteral("path"));
    options.AddOut();
    options.Process(QCoreApplication::arguments());
    const int nRuns = options.Runs();

    QProcess server;
    server.setReadChannel(QProcess::StandardError);
    server.start(options.Value(cliOption), {QStringLiteral("--simulate"), QStringLiteral("serve"),
                                            QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
    server.waitForStarted(kWaitMs);
    server.setReadChannel(QProcess::StandardOutput);
    QByteArray listening;
    ReadLine(server, listening);
    const QRegularExpressionMatch port =
        QRegularExpression(QStringLiteral("^listening on 127\\.0\\.0\\.1:(\\d+)")).match(QString::fromLatin1(listening));
    QTcpSocket socket;
    if (port.hasMatch())
        socket.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port.captured(1).toUInt()));
    if (!port.hasMatch() || !socket.waitForConnected(kWaitMs)) {
        std::fprintf(stderr, "bench_scpi: no server to talk to\n");
        server.kill();
        server.waitForFinished();
        return 1;
    }
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    server.setReadChannel(QProcess::StandardError);

    // A FREQ set reaches the board only while the output is on.
    socket.write("OUTP ON;*OPC?\n");
    QByteArray line;
    bool bOutputOn = ReadLine(socket, line);
    while (bOutputOn && !line.contains("board received "))
        bOutputOn = ReadLine(server, line);
    QList<double> identityUs;
    QList<double> toBoardUs;
    int nFailed = bOutputOn ? 0 : 1;
    for (int nRun = 0; bOutputOn && nRun < kWarmUpRuns + nRuns; ++nRun) {
        QByteArray answer;
        double dIdentityUs = 0;
        double dToBoardUs = 0;
        const bool bOk = TimeQuery(socket, "*IDN?", answer, dIdentityUs) && answer.startsWith("Vevevar,Azevora,0,")
                         && TimeToBoard(socket, server, nRun, dToBoardUs);
        if (!bOk)
            ++nFailed;
        if (bOk && nRun >= kWarmUpRuns) {
            identityUs.append(dIdentityUs);
            toBoardUs.append(dToBoardUs);
        }
    }
    const QList<double> opcMs = bOutputOn ? OpcRoundTripsMs(socket, 4 * nRuns) : QList<double>();
    server.terminate();
    server.waitForFinished(kWaitMs);
    QString strBoardError;
    const QList<double> afterAckMs = AnswerAfterAcknowledgementMs(options.Value(cliOption), 4 * nRuns, strBoardError);
    const PointRuns point = RunPointCommands(options.Value(cliOption), nRuns);
    nFailed += (opcMs.isEmpty() ? 1 : 0) + (afterAckMs.isEmpty() ? 1 : 0) + point.nFailed;

    double dOpcTotalMs = 0;
    for (const double dMs : opcMs)
        dOpcTotalMs += dMs;
    const double dOpcRate = dOpcTotalMs > 0 ? 1000.0 * static_cast<double>(opcMs.size()) / dOpcTotalMs : 0;
    const QString strMs = QStringLiteral("ms");
    const QList<Figure> figures = {
        Row(QStringLiteral("*IDN? round trip"), identityUs, QStringLiteral("< 0.5 ms"), kIdentityLimitUs),
        Row(QStringLiteral("FREQ set -> last byte at the board"), toBoardUs, QStringLiteral("< 1 ms beyond the wire"),
            kToBoardLimitUs),
        MakeFigure(QStringLiteral("point frame and its 4F 4B on the line at 9600 baud"), strMs, {kPointLineMs},
                   QStringLiteral("the line's own time")),
        MakeFigure(QStringLiteral("FREQ x;*OPC? round trip"), strMs, opcMs,
                   QStringLiteral("<= %1 ms").arg(kOpcRoundTripLimitMs), Figure::Judged::Median, kOpcRoundTripLimitMs),
        MakeFigure(QStringLiteral("FREQ x;*OPC? round trip, 95th percentile"), strMs, {Percentile(opcMs, 0.95)},
                   QStringLiteral("shown")),
        MakeFigure(QStringLiteral("FREQ x;*OPC? a second"), QStringLiteral("/s"), {dOpcRate},
                   QStringLiteral(">= %1").arg(kOpcRateLimit), Figure::Judged::Median, kOpcRateLimit, false),
        MakeFigure(QStringLiteral("4F 4B's last byte -> answer at the client"), strMs, afterAckMs,
                   QStringLiteral("<= %1 ms").arg(kAnswerAfterAckLimitMs), Figure::Judged::Median,
                   kAnswerAfterAckLimitMs),
        MakeFigure(QStringLiteral("vevevar-cli --simulate point, exec to exit"), strMs, point.wholeMs,
                   QStringLiteral("shown")),
        MakeFigure(QStringLiteral("vevevar-cli --simulate point, exec to exit, 95th percentile"), strMs,
                   {Percentile(point.wholeMs, 0.95)}, QStringLiteral("shown")),
        MakeFigure(QStringLiteral("vevevar-cli point: acknowledgement -> exit"), strMs, point.exitAfterAckMs,
                   QStringLiteral("<= %1 ms").arg(kExitAfterAckLimitMs), Figure::Judged::Median, kExitAfterAckLimitMs),
    };
    const QStringList notes = {
        QStringLiteral("One client over loopback, %1 warm-up runs left out; failed runs: %2.").arg(kWarmUpRuns).arg(nFailed),
        QStringLiteral("FREQ x;*OPC? runs %1 times with the output on, against the virtual board, which paces its "
                       "answer at 9600 baud but takes the frame in at once. The answer after 4F 4B is timed with the "
                       "bench itself as the board on a pseudo-terminal, from its write of 4F 4B to the line at the "
                       "client.%2")
            .arg(4 * nRuns)
            .arg(strBoardError.isEmpty() ? QString() : QStringLiteral(" It failed: %1.").arg(strBoardError)),
        QStringLiteral("vevevar-cli point runs %1 times, each starting its own virtual board; the acknowledgement's "
                       "time is the traffic log's, to the millisecond.")
            .arg(nRuns),
        QStringLiteral("The board sits on a pseudo-terminal, where a frame takes no wire time (18 bytes at 9600 baud "
                       "would add 18.75 ms). Its arrival is timed by the line the server prints when the board has "
                       "taken the frame in, so the figure also holds that line's trip through a pipe."),
    };
    if (!options.WriteFigures(options.Out(), QStringLiteral("SCPI server, loopback"), figures, notes))
        return 1;
    return nFailed == 0 ? 0 : 1;
}
