#include "support/cli_test.h"

#include <QJsonArray>
#include <QProcess>
#include <QTest>

// The tool's monitor command, showing what the board sends.
class TestCliMonitor : public CliTest {
    Q_OBJECT

private Q_SLOTS:
    void monitorShowsWhatArrives_data()
    {
        QTest::addColumn<QString>("boardSends");
        // Each receive event or report: its bytes, then its frequency or "not a report".
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("report of 100 MHz") << "19999999" << QStringList{"19 99 99 99 100.000000"};
        QTest::newRow("report of 250 MHz") << "40000000" << QStringList{"40 00 00 00 250.000000"};
        QTest::newRow("report of 400 MHz") << "66666666" << QStringList{"66 66 66 66 400.000000"};
        QTest::newRow("report of 10 MHz") << "028F5C28" << QStringList{"02 8F 5C 28 10.000000"};
        QTest::newRow("two reports at once")
            << "1999999940000000" << QStringList{"19 99 99 99 100.000000", "40 00 00 00 250.000000"};
        QTest::newRow("half a report") << "1999" << QStringList{"19 99 not a report"};
        QTest::newRow("three bytes of a report") << "199999" << QStringList{"19 99 99 not a report"};
        QTest::newRow("report below 10 MHz") << "00000001" << QStringList{"00 00 00 01 not a report"};
        QTest::newRow("report above 400 MHz") << "FFFFFFFF" << QStringList{"FF FF FF FF not a report"};
        QTest::newRow("acknowledgement") << "4F4B" << QStringList{"4F 4B not a report"};
        QTest::newRow("five bytes") << "0102030405" << QStringList{"01 02 03 04 05 not a report"};
    }
    void monitorShowsWhatArrives()
    {
        QFETCH(QString, boardSends);
        QFETCH(QStringList, shown);
        CliRun run;
        RunSimulated({QStringLiteral("--simulate-send"), boardSends, QStringLiteral("monitor"),
                      QStringLiteral("--duration"), QStringLiteral("1500")},
                     run);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, 0);
        QCOMPARE(run.json.value(QStringLiteral("result")).toString(), QStringLiteral("done"));
        QStringList received;
        for (const QJsonValue& value : run.json.value(QStringLiteral("replies")).toArray()) {
            const QJsonObject reply = value.toObject();
            const bool bReport = reply.value(QStringLiteral("report")).toBool();
            QCOMPARE(reply.contains(QStringLiteral("frequencyMHz")), bReport);
            received.append(reply.value(QStringLiteral("hex")).toString() + QLatin1Char(' ')
                            + (bReport ? QString::number(reply.value(QStringLiteral("frequencyMHz")).toDouble(), 'f', 6)
                                       : QStringLiteral("not a report")));
        }
        QCOMPARE(received, shown);
    }

    void monitorEndsCleanlyWhenTerminated()
    {
        QProcess process;
        process.start(QStringLiteral(VEVEVAR_CLI_PATH),
                      {QStringLiteral("--simulate"), QStringLiteral("--simulate-send"), QStringLiteral("19999999"),
                       QStringLiteral("monitor")});
        QVERIFY(process.waitForStarted(kProcessMsecs));
        QByteArray out;
        while (!out.contains("100.000000 MHz") && process.waitForReadyRead(kProcessMsecs))
            out += process.readAllStandardOutput();
        QVERIFY2(out.contains("19 99 99 99   100.000000 MHz"), out.constData());
        process.terminate();
        QVERIFY(process.waitForFinished(kProcessMsecs));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        out += process.readAllStandardOutput();
        QVERIFY2(out.endsWith("done\n"), out.constData());
    }
};

QTEST_GUILESS_MAIN(TestCliMonitor)
#include "test_cli_monitor.moc"
