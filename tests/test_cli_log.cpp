// The traffic log of the tool, and of the window run as a process: what a run
// writes with --log, read back line by line.

#include "support/cli_test.h"
#include "support/log_lines.h"
#include "support/server_process.h"

#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

class TestCliLog : public CliTest {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString LogPath() const { return m_dir.filePath(QStringLiteral("traffic.jsonl")); }

private Q_SLOTS:
    void init() { QFile::remove(LogPath()); }

    void logHoldsTheRun_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("lastRetry");
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("replies");
        QTest::newRow("point acknowledged") << PointArguments("1", "100") << 0 << "point" << 0 << "ack" << 1;
        QTest::newRow("point to a silent board") << QStringList{"--simulate-fault", "silent"} + PointArguments("1", "100")
                                                 << 3 << "point" << 6 << "gave_up" << 0;
        QTest::newRow("pause refused") << QStringList{"--simulate-fault", "refuse", "pause"} << 3 << "pause" << 9
                                       << "refused" << 10;
        QTest::newRow("close acknowledged") << QStringList{"close"} << 0 << "close" << 0 << "ack" << 1;
    }
    void logHoldsTheRun()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, kind);
        QFETCH(int, lastRetry);
        QFETCH(QString, result);
        QFETCH(int, replies);
        CliRun run;
        RunSimulated(QStringList{QStringLiteral("--log"), LogPath()} + arguments, run);
        QCOMPARE(run.nExitCode, exitCode);

        const LogLines log = ReadLogLines(LogPath());
        QVERIFY2(log.broken.isEmpty(), qPrintable(log.broken.join(u'\n')));
        QVERIFY(log.bEndsWhole);
        QStringList sent;
        for (const QJsonObject& line : log.Where("dir", "tx")) {
            sent.append(line.value(QStringLiteral("hex")).toString());
            QCOMPARE(line.value(QStringLiteral("kind")).toString(), kind);
            QCOMPARE(line.value(QStringLiteral("retry")).toInt(-1), sent.size() - 1);
        }
        QCOMPARE(sent, SentFrames(run.json));
        QCOMPARE(log.Where("dir", "rx").size(), replies);

        const QList<QJsonObject> verdicts = log.Where("event", "verdict");
        QCOMPARE(verdicts.size(), 1);
        QCOMPARE(verdicts.first().value(QStringLiteral("kind")).toString(), kind);
        QCOMPARE(verdicts.first().value(QStringLiteral("retry")).toInt(-1), lastRetry);
        QCOMPARE(verdicts.first().value(QStringLiteral("result")).toString(), result);
        QCOMPARE(verdicts.first().value(QStringLiteral("frame")).toString(), sent.last());

        const QList<QJsonObject> port = log.Where("event", "port");
        QCOMPARE(port.size(), 2);
        QCOMPARE(log.objects.first(), port.first());
        QCOMPARE(port.first().value(QStringLiteral("state")).toString(), QStringLiteral("opened"));
        QCOMPARE(log.objects.last(), port.last());
        QCOMPARE(port.last().value(QStringLiteral("state")).toString(), QStringLiteral("closed"));
        QCOMPARE(port.first().value(QStringLiteral("device")).toString(), run.json.value(QStringLiteral("port")).toString());
    }

    void logIsAppendedTo()
    {
        CliRun run;
        RunSimulated({QStringLiteral("--log"), LogPath(), QStringLiteral("close")}, run);
        RunSimulated({QStringLiteral("--log"), LogPath(), QStringLiteral("close")}, run);
        QCOMPARE(ReadLogLines(LogPath()).Where("event", "verdict").size(), 2);
    }

    void unopenableLogEndsTheRunBeforeTheBoard_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing directory") << m_dir.filePath(QStringLiteral("missing/traffic.jsonl"));
        QTest::newRow("a directory") << m_dir.path();
    }
    void unopenableLogEndsTheRunBeforeTheBoard()
    {
        QFETCH(QString, path);
        CliRun run;
        RunSimulated({QStringLiteral("--log"), path, QStringLiteral("close")}, run);
        QCOMPARE(run.nExitCode, 2);
        QVERIFY2(run.strErr.contains(QStringLiteral("Cannot open the traffic log %1").arg(path)), qPrintable(run.strErr));
        QVERIFY(SentFrames(run.json).isEmpty());
    }

    // The server's exchanges go through the same watch and send path.
    void serverLogsEveryExchange()
    {
        ServerProcess server({QStringLiteral("--log"), LogPath()});
        QVERIFY(server.Port() != 0);
        auto pClient = Connected(server.Port());
        QCOMPARE(Query(*pClient, "VOLT 1;:OUTP ON;*OPC?"), QStringLiteral("1"));
        QCOMPARE(Query(*pClient, "OUTP OFF;*OPC?"), QStringLiteral("1"));
        QCOMPARE(server.Terminate(), 0);

        const LogLines log = ReadLogLines(LogPath());
        QVERIFY2(log.broken.isEmpty(), qPrintable(log.broken.join(u'\n')));
        QStringList sent;
        for (const QJsonObject& line : log.Where("dir", "tx"))
            sent.append(line.value(QStringLiteral("kind")).toString());
        QCOMPARE(sent, (QStringList{QStringLiteral("point"), QStringLiteral("close")}));
        QCOMPARE(log.Where("dir", "tx").first().value(QStringLiteral("hex")).toString(), server.BoardFrames().first());
        QStringList results;
        for (const QJsonObject& line : log.Where("event", "verdict"))
            results.append(line.value(QStringLiteral("result")).toString());
        QCOMPARE(results, (QStringList{QStringLiteral("ack"), QStringLiteral("ack")}));
        QCOMPARE(log.objects.first().value(QStringLiteral("state")).toString(), QStringLiteral("opened"));
        QCOMPARE(log.objects.last().value(QStringLiteral("state")).toString(), QStringLiteral("closed"));
    }

    void signalEndsTheRunInOrder_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("window, SIGTERM") << VEVEVAR_WINDOW_PATH << QStringList() << SIGTERM << 0;
        QTest::newRow("window, SIGINT") << VEVEVAR_WINDOW_PATH << QStringList() << SIGINT << 0;
        QTest::newRow("window, SIGHUP") << VEVEVAR_WINDOW_PATH << QStringList() << SIGHUP << 0;
        QTest::newRow("monitor, SIGHUP") << VEVEVAR_CLI_PATH << QStringList{"monitor"} << SIGHUP << 0;
        QTest::newRow("serve, SIGHUP") << VEVEVAR_CLI_PATH << QStringList{"serve", "--listen", "127.0.0.1:0"}
                                       << SIGHUP << 0;
        // A wait for the board cut short, as for any acknowledgement.
        QTest::newRow("log sweep, SIGINT") << VEVEVAR_CLI_PATH
                                           << QStringList{"--json", "sweep", "--spacing", "log", "--start", "10",
                                                          "--end", "400", "--points", "100", "--dwell", "1",
                                                          "--amplitude", "1"}
                                           << SIGINT << 3;
    }
    void signalEndsTheRunInOrder()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(int, signal);
        QFETCH(int, exitCode);
        QProcess process;
        process.start(program,
                      QStringList{QStringLiteral("--simulate"), QStringLiteral("--log"), LogPath()} + arguments);
        QTRY_VERIFY_WITH_TIMEOUT(!ReadLogLines(LogPath()).Where("state", "opened").isEmpty(), kProcessMsecs);
        QCOMPARE(::kill(static_cast<pid_t>(process.processId()), signal), 0);
        QVERIFY(process.waitForFinished(kProcessMsecs));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        const QJsonObject last = ReadLogLines(LogPath()).objects.last();
        QCOMPARE(last.value(QStringLiteral("state")).toString(), QStringLiteral("closed"));
        if (arguments.contains(QStringLiteral("--json"))) {
            const QJsonObject result = QJsonDocument::fromJson(process.readAllStandardOutput()).object();
            QVERIFY2(result.value(QStringLiteral("message")).toString().startsWith(QStringLiteral("Interrupted")),
                     qPrintable(result.value(QStringLiteral("message")).toString()));
        }
    }

    void logNeedsAFile()
    {
        CliRun run;
        RunSimulated({QStringLiteral("--log="), QStringLiteral("close")}, run);
        QCOMPARE(run.nExitCode, 2);
        QVERIFY(run.strErr.contains(QStringLiteral("--log needs a file")));
    }
};

QTEST_MAIN(TestCliLog)
#include "test_cli_log.moc"
