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
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("isReport");
        QTest::addColumn<double>("frequency");
        QTest::newRow("report of 100 MHz") << "19999999" << "19 99 99 99" << true << 100.0;
        QTest::newRow("report of 250 MHz") << "40000000" << "40 00 00 00" << true << 250.0;
        QTest::newRow("report of 400 MHz") << "66666666" << "66 66 66 66" << true << 400.0;
        QTest::newRow("report of 10 MHz") << "028F5C28" << "02 8F 5C 28" << true << 10.0;
        QTest::newRow("two reports at once") << "1999999940000000" << "19 99 99 99 | 40 00 00 00" << true << 250.0;
        QTest::newRow("half a report") << "1999" << "19 99" << false << 0.0;
        QTest::newRow("three bytes of a report") << "199999" << "19 99 99" << false << 0.0;
        QTest::newRow("report below 10 MHz") << "00000001" << "00 00 00 01" << false << 0.0;
        QTest::newRow("report above 400 MHz") << "FFFFFFFF" << "FF FF FF FF" << false << 0.0;
        QTest::newRow("acknowledgement") << "4F4B" << "4F 4B" << false << 0.0;
        QTest::newRow("five bytes") << "0102030405" << "01 02 03 04 05" << false << 0.0;
    }
    void monitorShowsWhatArrives()
    {
        QFETCH(QString, boardSends);
        QFETCH(QString, reply);
        QFETCH(bool, isReport);
        QFETCH(double, frequency);
        CliRun run;
        RunSimulated({QStringLiteral("--simulate-send"), boardSends, QStringLiteral("monitor"),
                      QStringLiteral("--duration"), QStringLiteral("1500")},
                     run);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, 0);
        QCOMPARE(run.json.value(QStringLiteral("result")).toString(), QStringLiteral("done"));
        QStringList hex;
        const QJsonArray replies = run.json.value(QStringLiteral("replies")).toArray();
        for (const QJsonValue& value : replies) {
            hex.append(value[QStringLiteral("hex")].toString());
            QCOMPARE(value[QStringLiteral("report")].toBool(), isReport);
            QCOMPARE(value.toObject().contains(QStringLiteral("frequencyMHz")), isReport);
        }
        QCOMPARE(hex.join(QStringLiteral(" | ")), reply);
        if (isReport)
            QCOMPARE(static_cast<float>(replies.last()[QStringLiteral("frequencyMHz")].toDouble()),
                     static_cast<float>(frequency));
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
