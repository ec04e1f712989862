#include "support/golden_frames.h"
#include "support/raw_pty.h"
#include "support/sealed.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <unistd.h>

namespace {

// Far beyond what any run needs, so a slow sanitizer build never trips it.
constexpr int kProcessMsecs = 60000;

struct CliRun {
    int nExitCode = -1;
    QString strOut;
    QString strErr;
    QJsonObject json;
};

QStringList Strings(const QJsonValue& value)
{
    QStringList strings;
    for (const QJsonValue& item : value.toArray())
        strings.append(item.toString());
    return strings;
}

QStringList SentFrames(const QJsonObject& json)
{
    QStringList frames;
    for (const QJsonValue& frame : json.value(QStringLiteral("framesSent")).toArray())
        frames.append(frame.toObject().value(QStringLiteral("hex")).toString());
    return frames;
}

QStringList Counts(const QStringList& frames)
{
    QStringList counts;
    for (const QString& strFrame : frames)
        counts.append(strFrame.mid(8, 2));
    return counts;
}

QString WithoutCountAndCrc(const QString& strFrame)
{
    return strFrame.left(8) + strFrame.mid(10, strFrame.size() - 14);
}

QStringList Repeated(const QString& strCount, int nTimes)
{
    QStringList counts;
    for (int i = 0; i < nTimes; ++i)
        counts.append(strCount);
    return counts;
}

QStringList Rising(int nLast)
{
    QStringList counts;
    for (int n = 0; n <= nLast; ++n)
        counts.append(QString::asprintf("%02X", n));
    return counts;
}

QStringList PointArguments(const QString& strAmplitude, const QString& strFrequency)
{
    return {QStringLiteral("point"), QStringLiteral("--amplitude"), strAmplitude, QStringLiteral("--frequency"),
            strFrequency};
}

QStringList SweepArguments(const QString& strStart, const QString& strEnd, const QString& strAmplitude,
                           const QString& strStep, const QString& strInterval)
{
    return {QStringLiteral("sweep"),    QStringLiteral("--start"),     strStart,
            QStringLiteral("--end"),    strEnd,                        QStringLiteral("--amplitude"),
            strAmplitude,               QStringLiteral("--step"),      strStep,
            QStringLiteral("--interval"), strInterval};
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private:
    // Runs the built tool; with --json among the arguments its stdout must
    // be one JSON object.
    void Run(const QStringList& arguments, CliRun& run)
    {
        QProcess process;
        process.start(QStringLiteral(VEVEVAR_CLI_PATH), arguments);
        QVERIFY2(process.waitForStarted(kProcessMsecs), qPrintable(process.errorString()));
        QVERIFY2(process.waitForFinished(kProcessMsecs), "the tool did not end");
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        run.nExitCode = process.exitCode();
        run.strOut = QString::fromUtf8(process.readAllStandardOutput());
        run.strErr = QString::fromUtf8(process.readAllStandardError());
        if (!arguments.contains(QStringLiteral("--json")))
            return;
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(run.strOut.toUtf8(), &error);
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(run.strOut + run.strErr));
        QVERIFY(document.isObject());
        run.json = document.object();
        QCOMPARE(run.json.value(QStringLiteral("exitCode")).toInt(-1), run.nExitCode);
    }

    void RunSimulated(const QStringList& arguments, CliRun& run)
    {
        Run(QStringList{QStringLiteral("--simulate"), QStringLiteral("--json")} + arguments, run);
    }

private Q_SLOTS:
    void boardReceivesTheFrame_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("notice");
        QTest::newRow("point 1 V at 100 MHz") << PointArguments("1", "100") << kPoint1V100MhzFrame << QString();
        QTest::newRow("point 4 V at 400 MHz") << PointArguments("4", "400") << kPoint4V400MhzFrame << QString();
        QTest::newRow("point 400.9 MHz passes") << PointArguments("0", "400.9") << kPoint0V400p9MhzFrame << QString();
        QTest::newRow("point 4.5 V passes") << PointArguments("4.5", "10") << kPoint4p5V10MhzFrame << QString();
        QTest::newRow("point frequency below range")
            << PointArguments("0", "5") << kPoint0V10MhzFrame << "frequency 5 MHz is below 10 MHz; sending 10 MHz";
        QTest::newRow("point frequency above range")
            << PointArguments("4", "500") << kPoint4V400MhzFrame
            << "frequency 500 MHz is above 400 MHz; sending 400 MHz";
        QTest::newRow("point amplitude below 0 V")
            << PointArguments("-0.5", "10") << kPoint0V10MhzFrame << "amplitude -0.5 V is below 0 V; sending 0 V";
        QTest::newRow("point amplitude above range")
            << PointArguments("7", "400") << kPoint4V400MhzFrame << "amplitude 7 V is above 4 V; sending 4 V";
        QTest::newRow("point trailing text ignored")
            << PointArguments("1V", "100MHz") << kPoint1V100MhzFrame << QString();

        QTest::newRow("sweep 100 to 300")
            << SweepArguments("100", "300", "1", "1953k", "5") << kSweep100To300MhzBy1953kFrame << QString();
        QTest::newRow("sweep end below start")
            << SweepArguments("300", "100", "1", "1953k", "5") << kSweep100To300MhzBy1953kFrame
            << "end 100 MHz is below start 300 MHz; sweeping from 100 to 300 MHz";
        QTest::newRow("sweep 10 to 400")
            << SweepArguments("10", "400", "1", "15k", "5") << kSweep10To400MhzBy15kFrame << QString();
        QTest::newRow("sweep start below range") << SweepArguments("5", "400", "1", "15k", "5")
                                                 << kSweep10To400MhzBy15kFrame
                                                 << "start 5 MHz is below 10 MHz; sending 10 MHz";
        QTest::newRow("sweep end above range") << SweepArguments("10", "500", "1", "15k", "5")
                                               << kSweep10To400MhzBy15kFrame
                                               << "end 500 MHz is above 400 MHz; sending 400 MHz";
        QTest::newRow("sweep fraction dropped") << SweepArguments("100.9", "300", "1", "1953k", "5")
                                                << kSweep100To300MhzBy1953kFrame
                                                << "start \"100.9\" is read as 100 MHz";
        QTest::newRow("sweep amplitude above 4 V")
            << SweepArguments("100", "300", "5", "1953k", "5")
            << Sealed("A55A5AA50003199999994CCCCCCC3FFE0700000005005AA5A55A") << "sending 4 V";
        QTest::newRow("sweep amplitude below 0 V")
            << SweepArguments("100", "300", "-1", "1953k", "5")
            << Sealed("A55A5AA50003199999994CCCCCCC00000700000005005AA5A55A") << "sending 0 V";
        QTest::newRow("sweep circular, 125M, long interval")
            << SweepArguments("100", "300", "1", "125M", "50000000") + QStringList{"--circular"}
            << Sealed("A55A5AA50003199999994CCCCCCC0FFF0D02FAF080015AA5A55A") << QString();

        QTest::newRow("pause") << QStringList{"pause"} << kPauseFrame << QString();
        QTest::newRow("continue") << QStringList{"continue"} << kContinueFrame << QString();
        QTest::newRow("close") << QStringList{"close"} << kCloseFrame << QString();
    }
    void boardReceivesTheFrame()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, frame);
        QFETCH(QString, notice);
        CliRun run;
        RunSimulated(arguments, run);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, 0);
        QCOMPARE(run.json.value(QStringLiteral("result")).toString(), QStringLiteral("acknowledged"));
        QCOMPARE(Strings(run.json.value(QStringLiteral("boardReceived"))), QStringList{frame});
        QCOMPARE(SentFrames(run.json), QStringList{frame});
        const QJsonArray replies = run.json.value(QStringLiteral("replies")).toArray();
        QVERIFY(!replies.isEmpty());
        QVERIFY(replies.first().toObject().value(QStringLiteral("hex")).toString().startsWith(QStringLiteral("4F 4B")));
        const QStringList notices = Strings(run.json.value(QStringLiteral("notices")));
        if (notice.isEmpty()) {
            QCOMPARE(notices, QStringList());
        } else {
            QVERIFY2(notices.join(QLatin1Char('\n')).contains(notice), qPrintable(notices.join(QLatin1Char('\n'))));
            QVERIFY(run.strErr.contains(notice));
        }
    }

    void textOutputShowsTheExchange()
    {
        CliRun run;
        Run(QStringList{QStringLiteral("--simulate")} + PointArguments("1", "100"), run);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, 0);
        QVERIFY2(run.strErr.contains(QStringLiteral("board received ") + kPoint1V100MhzFrame),
                 qPrintable(run.strErr));
        QVERIFY2(run.strOut.contains(QStringLiteral("sent   ") + kPoint1V100MhzFrame), qPrintable(run.strOut));
        QVERIFY(run.strOut.contains(QStringLiteral("reply  4F 4B")));
        QVERIFY(run.strOut.endsWith(QStringLiteral("acknowledged\n")));
    }

    void badInputIsRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("amplitude without a number") << PointArguments("volts", "100") << "--amplitude needs a number";
        QTest::newRow("empty frequency") << PointArguments("1", "") << "--frequency needs a number";
        QTest::newRow("frequency not a number") << PointArguments("1", "nan") << "--frequency needs a number";
        QTest::newRow("sweep amplitude without a number")
            << SweepArguments("100", "300", "high", "1953k", "5") << "--amplitude needs a number";
        QTest::newRow("start without a number") << SweepArguments("abc", "300", "1", "1953k", "5")
                                                << "--start needs a whole number of MHz from 10 to 400";
        QTest::newRow("unknown step") << SweepArguments("100", "300", "1", "2000k", "5")
                                      << "--step must be one of 15k 30k 61k 122k 244k 488k 976k 1953k 3906k 7812k "
                                         "15.625M 31.25M 62.5M 125M";
        QTest::newRow("step in the wrong case") << SweepArguments("100", "300", "1", "125m", "5") << "--step must be";
        QTest::newRow("interval 0") << SweepArguments("100", "300", "1", "1953k", "0") << "from 1 to 2147483647";
        QTest::newRow("negative interval") << SweepArguments("100", "300", "1", "1953k", "-5")
                                           << "from 1 to 2147483647";
        QTest::newRow("interval without a number") << SweepArguments("100", "300", "1", "1953k", "fast")
                                                   << "from 1 to 2147483647";
        QTest::newRow("unknown command") << QStringList{"jump"} << "Unknown command \"jump\"";
        QTest::newRow("no command") << QStringList{} << "No command given";
        QTest::newRow("missing option") << QStringList{"point", "--amplitude", "1"} << "point needs --frequency";
        QTest::newRow("option of another command") << PointArguments("1", "100") + QStringList{"--circular"}
                                                   << "--circular does not go with point";
        QTest::newRow("unknown option") << QStringList{"close", "--force"} << "Unknown option \"--force\"";
        QTest::newRow("option without its value") << QStringList{"point", "--amplitude"} << "--amplitude needs a value";
        QTest::newRow("second command") << QStringList{"pause", "continue"} << "Unexpected argument \"continue\"";
        QTest::newRow("port and simulate") << QStringList{"--port", "/dev/null", "close"} << "exclude each other";
        QTest::newRow("unknown fault") << QStringList{"--simulate-fault", "slow", "close"} << "silent or refuse";
        QTest::newRow("timeout 0") << QStringList{"--timeout", "0", "close"} << "--timeout needs a whole number";
    }
    void badInputIsRefused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        CliRun run;
        RunSimulated(arguments, run);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, 2);
        QCOMPARE(run.json.value(QStringLiteral("result")).toString(), QStringLiteral("bad input"));
        const QString strMessage = run.json.value(QStringLiteral("message")).toString();
        QVERIFY2(strMessage.contains(message), qPrintable(strMessage));
        QVERIFY(run.strErr.contains(message));
        QCOMPARE(SentFrames(run.json), QStringList());
        // Refused before the board was started.
        QVERIFY(!run.json.contains(QStringLiteral("boardReceived")));
    }

    void neverAcknowledged_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("counts");
        const QStringList silent{"--simulate-fault", "silent"};
        const QStringList refuse{"--simulate-fault", "refuse"};
        const QStringList patient{"--timeout", "30000"};
        const QStringList brief{"--timeout", "500"};
        QTest::newRow("point, silent board") << silent + patient + PointArguments("1", "100") << Rising(6);
        QTest::newRow("point, refusing board") << refuse + patient + PointArguments("1", "100") << Rising(6);
        QTest::newRow("sweep, refusing board")
            << refuse + patient + SweepArguments("100", "300", "1", "1953k", "5") << Rising(9);
        QTest::newRow("sweep, silent board") << silent + brief + SweepArguments("100", "300", "1", "1953k", "5")
                                             << Rising(0);
        QTest::newRow("pause, refusing board") << refuse + patient + QStringList{"pause"} << Rising(9);
        QTest::newRow("continue, refusing board") << refuse + patient + QStringList{"continue"} << Rising(9);
        QTest::newRow("continue, silent board") << silent + brief + QStringList{"continue"} << Rising(0);
        QTest::newRow("close, silent board") << silent + patient + QStringList{"close"} << Repeated("00", 10);
        QTest::newRow("close, refusing board") << refuse + patient + QStringList{"close"} << Repeated("00", 10);
    }
    void neverAcknowledged()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, counts);
        CliRun run;
        RunSimulated(arguments, run);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, 3);
        QCOMPARE(run.json.value(QStringLiteral("result")).toString(), QStringLiteral("no acknowledgement"));
        const QStringList received = Strings(run.json.value(QStringLiteral("boardReceived")));
        QCOMPARE(Counts(received), counts);
        QCOMPARE(received, SentFrames(run.json));
        // A resend differs from the first frame in its count and CRC only.
        for (const QString& strFrame : received)
            QCOMPARE(WithoutCountAndCrc(strFrame), WithoutCountAndCrc(received.first()));
    }

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
        const QJsonArray replies = run.json.value(QStringLiteral("replies")).toArray();
        QCOMPARE(replies.size(), 1);
        const QJsonObject received = replies.first().toObject();
        QCOMPARE(received.value(QStringLiteral("hex")).toString(), reply);
        QCOMPARE(received.contains(QStringLiteral("frequencyMHz")), isReport);
        if (isReport)
            QCOMPARE(static_cast<float>(received.value(QStringLiteral("frequencyMHz")).toDouble()),
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

    void helpAndVersion_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("help") << "--help"
                              << QStringList{"point --amplitude V --frequency MHz", "--simulate-fault silent|refuse",
                                             "monitor [--duration MS]", "Exit status"};
        QTest::newRow("short help") << "-h" << QStringList{"Usage: vevevar-cli"};
        QTest::newRow("version") << "--version" << QStringList{QStringLiteral("vevevar-cli " VEVEVAR_VERSION)};
    }
    void helpAndVersion()
    {
        QFETCH(QString, argument);
        QFETCH(QStringList, expected);
        CliRun run;
        Run({argument}, run);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, 0);
        for (const QString& strText : expected)
            QVERIFY2(run.strOut.contains(strText), qPrintable(strText));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
