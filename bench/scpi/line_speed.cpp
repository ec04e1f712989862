#include "scpi/line_speed.h"

#include "board/pseudo_terminal.h"
#include "support/clock.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>

namespace {

constexpr int kWaitMs = 30000;
// A point frame: header, retry, command, tuning word, amplitude word, trailer, CRC.
constexpr int kPointFrameBytes = 18;

// Waits in the event loop, so that the bench's own board goes on answering.
bool AwaitLine(QIODevice& device, QByteArray& line)
{
    if (!device.canReadLine()) {
        QEventLoop loop;
        QObject::connect(&device, &QIODevice::readyRead, &loop, [&device, &loop] {
            if (device.canReadLine())
                loop.quit();
        });
        QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (!device.canReadLine())
        return false;
    line = device.readLine();
    return true;
}

QByteArray FrequencyQuery(int nCommand)
{
    return QStringLiteral("FREQ %1 MHZ;*OPC?\n").arg(100 + nCommand % 200).toLatin1();
}

bool ConnectToServer(QProcess& server, QTcpSocket& socket)
{
    QByteArray listening;
    if (!AwaitLine(server, listening))
        return false;
    const QRegularExpressionMatch port =
        QRegularExpression(QStringLiteral("^listening on 127\\.0\\.0\\.1:(\\d+)")).match(QString::fromLatin1(listening));
    if (!port.hasMatch())
        return false;
    socket.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port.captured(1).toUInt()));
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return socket.waitForConnected(kWaitMs);
}

// The wall-clock time of the first 4F 4B in a traffic log, in ms since the epoch.
qint64 AcknowledgementWallMs(const QString& strLog)
{
    QFile file(strLog);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    while (!file.atEnd()) {
        const QJsonObject line = QJsonDocument::fromJson(file.readLine()).object();
        if (line.value(QStringLiteral("dir")).toString() == QLatin1String("rx")
            && line.value(QStringLiteral("hex")).toString().startsWith(QLatin1String("4F4B"))) {
            return QDateTime::fromString(line.value(QStringLiteral("time")).toString(), Qt::ISODateWithMs)
                .toMSecsSinceEpoch();
        }
    }
    return 0;
}

} // namespace

QList<double> OpcRoundTripsMs(QTcpSocket& socket, int nCommands)
{
    QList<double> roundTrips;
    for (int nCommand = 0; nCommand < nCommands; ++nCommand) {
        const qint64 nStartNs = MonotonicNs();
        socket.write(FrequencyQuery(nCommand));
        QByteArray answer;
        if (!AwaitLine(socket, answer) || answer != "1\n")
            return {};
        roundTrips.append(static_cast<double>(MonotonicNs() - nStartNs) / 1e6);
    }
    return roundTrips;
}

QList<double> AnswerAfterAcknowledgementMs(const QString& strCli, int nCommands, QString& strError)
{
    CPseudoTerminal board;
    if (!board.Open(strError))
        return {};
    // Every frame is answered as soon as it is whole; the answer's one write
    // puts both bytes on the line at once.
    QByteArray pending;
    qint64 nAckNs = 0;
    QSocketNotifier readable(board.MasterFd(), QSocketNotifier::Read);
    QObject::connect(&readable, &QSocketNotifier::activated, &readable, [&] {
        char buffer[256];
        const ssize_t nRead = ::read(board.MasterFd(), buffer, sizeof buffer);
        if (nRead > 0)
            pending.append(buffer, nRead);
        while (pending.size() >= kPointFrameBytes) {
            pending.remove(0, kPointFrameBytes);
            if (::write(board.MasterFd(), "\x4F\x4B", 2) == 2)
                nAckNs = MonotonicNs();
        }
    });

    QProcess server;
    server.start(strCli, {QStringLiteral("--port"), board.SlavePath(), QStringLiteral("serve"), QStringLiteral("--listen"),
                          QStringLiteral("127.0.0.1:0")});
    QTcpSocket socket;
    QList<double> afterAck;
    QByteArray answer;
    if (!ConnectToServer(server, socket)) {
        strError = QStringLiteral("no server on the bench's board");
    } else {
        socket.write("OUTP ON;*OPC?\n");
        if (!AwaitLine(socket, answer))
            strError = QStringLiteral("OUTP ON went unanswered");
    }
    for (int nCommand = 0; strError.isEmpty() && nCommand < nCommands; ++nCommand) {
        socket.write(FrequencyQuery(nCommand));
        if (!AwaitLine(socket, answer) || answer != "1\n") {
            strError = QStringLiteral("FREQ went unanswered");
            break;
        }
        afterAck.append(static_cast<double>(MonotonicNs() - nAckNs) / 1e6);
    }
    server.terminate();
    server.waitForFinished(kWaitMs);
    return strError.isEmpty() ? afterAck : QList<double>();
}

PointRuns RunPointCommands(const QString& strCli, int nRuns)
{
    PointRuns runs;
    QTemporaryDir dir;
    for (int nRun = 0; nRun < nRuns; ++nRun) {
        const QString strLog = dir.filePath(QStringLiteral("point-%1.jsonl").arg(nRun));
        QProcess cli;
        QElapsedTimer whole;
        whole.start();
        cli.start(strCli, {QStringLiteral("--simulate"), QStringLiteral("--log"), strLog, QStringLiteral("point"),
                           QStringLiteral("--amplitude"), QStringLiteral("1"), QStringLiteral("--frequency"),
                           QStringLiteral("100")});
        const bool bExited = cli.waitForFinished(kWaitMs);
        const qint64 nExitWallMs = QDateTime::currentMSecsSinceEpoch();
        const double dWholeMs = static_cast<double>(whole.nsecsElapsed()) / 1e6;
        const qint64 nAckWallMs = AcknowledgementWallMs(strLog);
        if (!bExited || cli.exitCode() != 0 || nAckWallMs == 0) {
            ++runs.nFailed;
            continue;
        }
        runs.wholeMs.append(dWholeMs);
        runs.exitAfterAckMs.append(static_cast<double>(nExitWallMs - nAckWallMs));
    }
    return runs;
}
