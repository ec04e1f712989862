#include "support/cli_test.h"
#include "support/raw_pty.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
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

    // Whatever answers on a port nobody named may be no board at all.
    void noPortNamed_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("point") << PointArguments("1", "100");
        QTest::newRow("close, json") << QStringList{"--json", "close"};
        QTest::newRow("monitor") << QStringList{"monitor", "--duration", "0"};
        QTest::newRow("serve") << QStringList{"serve", "--listen", "127.0.0.1:0"};
    }
    void noPortNamed()
    {
        QFETCH(QStringList, arguments);
        CliRun ports;
        Run({QStringLiteral("ports"), QStringLiteral("--json")}, ports);
        QElapsedTimer clock;
        clock.start();
        CliRun run;
        Run(arguments, run);
        const qint64 nMsecs = clock.elapsed();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, 2);
        QVERIFY2(nMsecs < 1000, qPrintable(QString::number(nMsecs)));
        QVERIFY2(run.strErr.contains(QStringLiteral("--port DEVICE")), qPrintable(run.strErr));
        const QJsonArray found = ports.ports;
        QVERIFY(run.strErr.contains(found.isEmpty() ? QStringLiteral("No serial port found")
                                                    : QStringLiteral("Ports found: ")));
        for (const QJsonValue& port : found)
            QVERIFY2(run.strErr.contains(port.toObject().value(QStringLiteral("name")).toString()), qPrintable(run.strErr));
    }

    // Each port by the name to give --port: its by-id link where there is one.
    void portsAreListed()
    {
        CliRun json;
        Run({QStringLiteral("ports"), QStringLiteral("--json")}, json);
        CliRun text;
        Run({QStringLiteral("ports")}, text);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(json.nExitCode, 0);
        QCOMPARE(text.nExitCode, 0);
        QStringList names;
        for (const QJsonValue& value : json.ports) {
            const QJsonObject port = value.toObject();
            const QString strName = port.value(QStringLiteral("name")).toString();
            const QString strDevice = port.value(QStringLiteral("device")).toString();
            QVERIFY(strName == strDevice || strName.startsWith(QStringLiteral("/dev/serial/by-id/")));
            QCOMPARE(QFileInfo(strName).canonicalFilePath(), QFileInfo(strDevice).canonicalFilePath());
            for (const char* pszKey : {"description", "manufacturer", "usb", "serialNumber"})
                QVERIFY2(port.value(QLatin1String(pszKey)).isString(), pszKey);
            names.append(strName);
        }
        QStringList lines = text.strOut.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (names.isEmpty())
            QCOMPARE(lines, QStringList{QStringLiteral("No serial port found.")});
        for (QString& strLine : lines)
            strLine = strLine.section(QStringLiteral("  "), 0, 0);
        if (!names.isEmpty())
            QCOMPARE(lines, names);
    }

    void listenAddressInUse()
    {
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::LocalHost));
        const QString strAddress = QStringLiteral("127.0.0.1:%1").arg(holder.serverPort());
        CliRun run;
        Run({QStringLiteral("--simulate"), QStringLiteral("serve"), QStringLiteral("--listen"), strAddress}, run);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, 4);
        QVERIFY2(run.strErr.contains(strAddress + QStringLiteral(" is in use by another program")), qPrintable(run.strErr));
        QVERIFY(run.strErr.contains(QStringLiteral("--listen 127.0.0.1:%1").arg(holder.serverPort() + 1)));
        QVERIFY(!run.strOut.contains(QStringLiteral("bad input")));
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
};

QTEST_GUILESS_MAIN(TestCliPort)
#include "test_cli_port.moc"
