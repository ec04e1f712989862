#include "support/cli_test.h"
#include "support/raw_pty.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

// The tool on a port it cannot open.
class TestCliPort : public CliTest {
    Q_OBJECT

private Q_SLOTS:
    void portFailure_data()
    {
        QTest::addColumn<bool>("json");
        QTest::newRow("text") << false;
        QTest::newRow("json") << true;
    }
    void portFailure()
    {
        QFETCH(bool, json);
        const QString strDevice = QStringLiteral("/dev/does-not-exist");
        QStringList arguments{QStringLiteral("--port"), strDevice};
        if (json)
            arguments.append(QStringLiteral("--json"));
        CliRun run;
        Run(arguments + PointArguments("1", "100"), run);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, 4);
        QVERIFY2(run.strErr.contains(strDevice), qPrintable(run.strErr));
        if (json) {
            QCOMPARE(run.json.value(QStringLiteral("result")).toString(), QStringLiteral("port failure"));
            QVERIFY(run.json.value(QStringLiteral("message")).toString().contains(strDevice));
            QCOMPARE(run.json.value(QStringLiteral("port")).toString(), strDevice);
            QCOMPARE(SentFrames(run.json), QStringList());
        } else {
            QVERIFY(run.strOut.endsWith(QStringLiteral("port failure\n")));
        }
    }

    // A permission refusal needs a user without the root's rights: the tool
    // runs as "nobody" against a pseudo-terminal that only root may open.
    void portWithoutPermission()
    {
        if (::geteuid() != 0)
            QSKIP("dropping to another user needs root");
        const QString strSetpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (strSetpriv.isEmpty())
            QSKIP("setpriv is not installed");
        const QStringList asNobody{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                   QStringLiteral("--clear-groups"), QStringLiteral(VEVEVAR_CLI_PATH)};
        QProcess probe;
        probe.start(strSetpriv, asNobody + QStringList{QStringLiteral("--version")});
        if (!probe.waitForFinished(kProcessMsecs) || probe.exitCode() != 0)
            QSKIP("the build is out of another user's reach here");
        RawPty pty;
        QVERIFY(pty.IsOpen());
        QProcess process;
        process.start(strSetpriv, asNobody + QStringList{QStringLiteral("--port"), pty.SlavePath(), QStringLiteral("close")});
        QVERIFY2(process.waitForFinished(kProcessMsecs), "the tool did not end");
        const QString strErr = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(process.exitCode(), 4);
        QVERIFY2(strErr.contains(pty.SlavePath()), qPrintable(strErr));
        QVERIFY2(strErr.contains(QStringLiteral("dialout")), qPrintable(strErr));
    }

    // One owner per device: held through a link, it refuses its own name too.
    void deviceHeldByAnotherProgram()
    {
        RawPty pty;
        QTemporaryDir dir;
        const QString strLink = dir.filePath(QStringLiteral("board"));
        QVERIFY(pty.IsOpen() && QFile::link(pty.SlavePath(), strLink));
        QProcess monitor;
        monitor.start(QStringLiteral(VEVEVAR_CLI_PATH), {QStringLiteral("--port"), strLink, QStringLiteral("monitor")});
        QByteArray out;
        // Once a report shows, the monitor holds the port.
        for (int nTry = 0; nTry < 300 && !out.contains("100.000000 MHz"); ++nTry) {
            pty.Write(QByteArray::fromHex("19999999"));
            monitor.waitForReadyRead(200);
            out += monitor.readAllStandardOutput();
        }
        CliRun second;
        Run({QStringLiteral("--port"), pty.SlavePath(), QStringLiteral("close")}, second);
        QCOMPARE(second.nExitCode, 4);
        QVERIFY2(second.strErr.contains(QStringLiteral("in use by another program")), qPrintable(second.strErr));
        QCOMPARE(pty.ReadAvailable(), QByteArray());
        pty.Write(QByteArray::fromHex("40000000"));
        while (!out.contains("250.000000 MHz") && monitor.waitForReadyRead(kProcessMsecs))
            out += monitor.readAllStandardOutput();
        monitor.terminate();
        QVERIFY(monitor.waitForFinished(kProcessMsecs));
        QVERIFY2(out.contains("100.000000 MHz") && out.contains("250.000000 MHz"), out.constData());
        QCOMPARE(monitor.exitStatus(), QProcess::NormalExit);
        QCOMPARE(monitor.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestCliPort)
#include "test_cli_port.moc"
