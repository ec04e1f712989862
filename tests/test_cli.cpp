#include "support/cli_test.h"
#include "support/golden_frames.h"
#include "support/sealed.h"

#include "board/virtual_board.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList Strings(const QJsonValue& value)
{
    QStringList strings;
    for (const QJsonValue& item : value.toArray())
        strings.append(item.toString());
    return strings;
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

QStringList SweepArguments(const QString& strStart, const QString& strEnd, const QString& strAmplitude,
                           const QString& strStep, const QString& strInterval)
{
    return {QStringLiteral("sweep"),    QStringLiteral("--start"),     strStart,
            QStringLiteral("--end"),    strEnd,                        QStringLiteral("--amplitude"),
            strAmplitude,               QStringLiteral("--step"),      strStep,
            QStringLiteral("--interval"), strInterval};
}

QStringList LogArguments(const QString& strPoints, const QString& strDwell)
{
    return {"sweep",  "--spacing", "log",    "--start", "10",      "--end",       "40",
            "--points", strPoints, "--dwell", strDwell, "--amplitude", "1"};
}

const QString kPoint1V10MhzFrame = Sealed("A55A5AA50001028F5C280FD75AA5A55A");
const QString kPoint1V20MhzFrame = Sealed("A55A5AA50001051EB8510FD75AA5A55A");
const QString kPoint1V30MhzFrame = Sealed("A55A5AA5000107AE147A0FD75AA5A55A");
const QString kPoint1V40MhzFrame = Sealed("A55A5AA500010A3D70A30FD75AA5A55A");

} // namespace

// What the tool sends for each command and how it ends.
class TestCli : public CliTest {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // A file of points in the temporary folder, by its name.
    QString PointFile(const QString& strName, const QByteArray& text)
    {
        QFile file(m_dir.filePath(strName));
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

private Q_SLOTS:
    void steppedRunSendsEveryPointInOrder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QString>("notice");
        const QString strList = PointFile("points.csv", "# frequency MHz, amplitude V, dwell s\n"
                                                        "frequency,amplitude,dwell\n\n"
                                                        "10, 0, 0.03\n100,1,0.03  # mid\n400,4\n");
        QTest::newRow("list") << QStringList{"list", strList, "--dwell", "0.05"}
                              << QStringList{kPoint0V10MhzFrame, kPoint1V100MhzFrame, kPoint4V400MhzFrame} << QString();
        const QString strHigh = PointFile("high.csv", "100,1,0.03\n500,5,0.03\n");
        QTest::newRow("list clamped") << QStringList{"list", strHigh, "--clamp"}
                                      << QStringList{kPoint1V100MhzFrame, kPoint4V400MhzFrame}
                                      << "line 2: frequency 500 is outside 10 to 400 MHz; sending 400 MHz";
        QTest::newRow("log sweep twice")
            << LogArguments("3", "0.03") + QStringList{"--repeat", "2"}
            << QStringList{kPoint1V10MhzFrame, kPoint1V20MhzFrame, kPoint1V40MhzFrame,
                           kPoint1V10MhzFrame, kPoint1V20MhzFrame, kPoint1V40MhzFrame}
            << QString();
    }
    void steppedRunSendsEveryPointInOrder()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, frames);
        QFETCH(QString, notice);
        CliRun run;
        RunSimulated(arguments, run);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, 0);
        QCOMPARE(Strings(run.json.value(QStringLiteral("boardReceived"))), frames);
        const QJsonArray points = run.json.value(QStringLiteral("points")).toArray();
        QCOMPARE(points.size(), frames.size());
        for (int i = 0; i < points.size(); ++i) {
            QCOMPARE(points[i].toObject().value(QStringLiteral("hex")).toString(), frames[i]);
            QCOMPARE(points[i].toObject().value(QStringLiteral("result")).toString(), QStringLiteral("ack"));
        }
        QCOMPARE(Strings(run.json.value(QStringLiteral("notices"))).join(QLatin1Char('\n')).contains(notice), true);
    }

    void refusedPointEndsTheList()
    {
        const QString strList = PointFile("five.csv", "10,1,0.05\n20,1,0.05\n30,1,0.05\n40,1,0.05\n50,1,0.05\n");
        CliRun run;
        RunSimulated({"--simulate-fault", "refuse:3", "list", strList}, run);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, 3);
        const QString strNamed = QStringLiteral("Point 3 of 5, 30 MHz: the board refused it");
        QVERIFY2(run.strErr.contains(strNamed), qPrintable(run.strErr));
        // Point 3 and its resends, and nothing after them.
        const QStringList received = Strings(run.json.value(QStringLiteral("boardReceived")));
        QCOMPARE(received.mid(0, 3), (QStringList{kPoint1V10MhzFrame, kPoint1V20MhzFrame, kPoint1V30MhzFrame}));
        QCOMPARE(Counts(received.mid(2)), Rising(6));
        for (const QString& strFrame : received.mid(2))
            QCOMPARE(WithoutCountAndCrc(strFrame), WithoutCountAndCrc(kPoint1V30MhzFrame));
    }

    void listTextShowsEachPoint()
    {
        CliRun run;
        Run({"--simulate", "list", PointFile("two.csv", "20,1,0.03\n40,1,0.03\n")}, run);
        QCOMPARE(run.nExitCode, 0);
        QVERIFY2(run.strOut.contains(QStringLiteral("point 1 of 2  20 MHz  1 V  ack\n")), qPrintable(run.strOut));
        QVERIFY2(run.strOut.contains(QStringLiteral("point 2 of 2  40 MHz  1 V  ack\n")), qPrintable(run.strOut));
    }

    void boardReceivesTheFrame_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("notice");
        const QStringList clamp{"--clamp"};
        QTest::newRow("point 1 V at 100 MHz") << PointArguments("1", "100") << kPoint1V100MhzFrame << QString();
        QTest::newRow("point 4 V at 400 MHz") << PointArguments("4", "400") << kPoint4V400MhzFrame << QString();
        QTest::newRow("point in exponent form") << PointArguments("+1e0", "1.0E2") << kPoint1V100MhzFrame << QString();
        QTest::newRow("point frequency below range, clamped")
            << PointArguments("0", "5") + clamp << kPoint0V10MhzFrame
            << "frequency 5 MHz is below 10 MHz; sending 10 MHz";
        QTest::newRow("point frequency above range, clamped")
            << PointArguments("4", "500") + clamp << kPoint4V400MhzFrame
            << "frequency 500 MHz is above 400 MHz; sending 400 MHz";
        QTest::newRow("point amplitude below 0 V, clamped")
            << PointArguments("-0.5", "10") + clamp << kPoint0V10MhzFrame
            << "amplitude -0.5 V is below 0 V; sending 0 V";
        QTest::newRow("point amplitude above range, clamped")
            << PointArguments("4.5", "400") + clamp << kPoint4V400MhzFrame << "amplitude 4.5 V is above 4 V; sending 4 V";

        QTest::newRow("sweep 100 to 300")
            << SweepArguments("100", "300", "1", "1953k", "5") << kSweep100To300MhzBy1953kFrame << QString();
        QTest::newRow("sweep whole numbers in other forms")
            << SweepArguments("100.000", "3e2", "1", "1953k", "5.0") << kSweep100To300MhzBy1953kFrame << QString();
        QTest::newRow("sweep end below start, clamped")
            << SweepArguments("300", "100", "1", "1953k", "5") + clamp << kSweep100To300MhzBy1953kFrame
            << "end 100 MHz is below start 300 MHz; sweeping from 100 to 300 MHz";
        QTest::newRow("sweep 10 to 400")
            << SweepArguments("10", "400", "1", "15k", "5") << kSweep10To400MhzBy15kFrame << QString();
        QTest::newRow("sweep start below range, clamped") << SweepArguments("5", "400", "1", "15k", "5") + clamp
                                                         << kSweep10To400MhzBy15kFrame
                                                         << "start 5 MHz is below 10 MHz; sending 10 MHz";
        QTest::newRow("sweep end above range, clamped") << SweepArguments("10", "500", "1", "15k", "5") + clamp
                                                       << kSweep10To400MhzBy15kFrame
                                                       << "end 500 MHz is above 400 MHz; sending 400 MHz";
        QTest::newRow("sweep amplitude above 4 V, clamped")
            << SweepArguments("100", "300", "5", "1953k", "5") + clamp
            << Sealed("A55A5AA50003199999994CCCCCCC3FFE0700000005005AA5A55A") << "sending 4 V";
        QTest::newRow("sweep amplitude below 0 V, clamped")
            << SweepArguments("100", "300", "-1", "1953k", "5") + clamp
            << Sealed("A55A5AA50003199999994CCCCCCC00000700000005005AA5A55A") << "sending 0 V";
        QTest::newRow("sweep interval above range, clamped")
            << SweepArguments("100", "300", "1", "1953k", "99999999999") + clamp
            << Sealed("A55A5AA50003199999994CCCCCCC0FFF077FFFFFFF005AA5A55A")
            << "interval 99999999999 is above 2147483647; sending 2147483647";
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
                                                << "--start needs a whole number from 10 to 400 MHz";
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
        QTest::newRow("timeout 0") << QStringList{"--timeout", "0", "close"} << "--timeout 0 ms is out of range";
        QTest::newRow("timeout with a unit") << QStringList{"--timeout", "2s", "close"} << "--timeout needs a whole";
        QTest::newRow("listen without serve") << QStringList{"close", "--listen", "127.0.0.1:5025"}
                                              << "--listen does not go with close";
        QTest::newRow("json with serve") << QStringList{"serve"} << "--json does not go with serve";
        QTest::newRow("option given twice") << QStringList{"close", "--json"} << "--json is given twice";
        QTest::newRow("value after '='") << QStringList{"--timeout=0", "close"} << "--timeout 0 ms is out of range";
        QTest::newRow("negative duration") << QStringList{"monitor", "--duration", "-1"} << "from 0 to 2147483647 ms";
        QTest::newRow("clamp without numbers") << QStringList{"close", "--clamp"} << "--clamp does not go with close";
        QTest::newRow("port with ports") << QStringList{"ports"} << "--simulate does not go with ports";
        QTest::newRow("flag with a value") << QStringList{"close", "--circular=1"} << "'--circular'";
        QTest::newRow("unknown short option") << QStringList{"close", "-x"} << "Unknown option \"-x\"";
        QTest::newRow("bare double dash") << QStringList{"--", "close"} << "Unknown option \"--\"";
        QTest::newRow("empty port") << QStringList{"--port=", "close"} << "--port needs a device";
        QTest::newRow("odd hex digits") << QStringList{"--simulate-send", "199", "close"} << "pairs of hexadecimal";
        const QString strBadLine = PointFile("bad.csv", "10,1,0.05\n20,1,0.05\n30,x,0.05\n40,1,0.05\n");
        QTest::newRow("list, bad line 3") << QStringList{"list", strBadLine}
                                          << "line 3, column 2: the amplitude \"x\" is not a number of V";
        const QString strHigh = PointFile("high.csv", "100,1,0.03\n500,1,0.03\n");
        QTest::newRow("list, value out of range") << QStringList{"list", strHigh}
                                                  << "line 2, column 1: frequency 500 is outside 10 to 400 MHz";
        const QString strNoDwell = PointFile("nodwell.csv", "# header-less\n100,1\n");
        QTest::newRow("list, dwell nowhere") << QStringList{"list", strNoDwell} << "line 2, column 3: no dwell";
        const QString strEmpty = PointFile("empty.csv", "frequency\n# none\n");
        QTest::newRow("list without points") << QStringList{"list", strEmpty} << "The list holds no points.";
        QTest::newRow("list of no file") << QStringList{"list", m_dir.filePath("none.csv")} << "Cannot read the list";
        QTest::newRow("list without a file") << QStringList{"list"} << "list needs a file of points";
        QTest::newRow("dwell below the line's least") << LogArguments("3", "0.01") << "--dwell 0.01 s is out of range";
        QTest::newRow("one log point") << LogArguments("1", "0.05") << "--points 1 is out of range";
        QTest::newRow("log sweep with a step") << LogArguments("3", "0.05") + QStringList{"--step", "15k"}
                                               << "--step does not go with sweep --spacing log";
        QTest::newRow("log sweep without points") << QStringList{"sweep", "--spacing", "log"}
                                                  << "sweep --spacing log needs --start";
        QTest::newRow("unknown spacing") << LogArguments("3", "0.05").replaceInStrings("log", "cubic")
                                         << "--spacing is lin or log";
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

    // Against a virtual board on a pseudo-terminal, named with --port as a
    // real board would be: a refused number must leave it untouched.
    void numbersReachTheBoardOnlyWhenSound_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("frame");
        const QStringList notDecimal{"needs a number from", "written as a plain decimal number"};
        const auto point = [](const char* pszAmplitude, const char* pszFrequency) {
            return PointArguments(QString::fromUtf8(pszAmplitude), QString::fromUtf8(pszFrequency));
        };
        QTest::newRow("comma") << point("1,5", "100") << 2 << notDecimal + QStringList{"--amplitude", "\"1,5\""}
                               << QString();
        QTest::newRow("trailing text") << point("1.5x", "100") << 2 << notDecimal + QStringList{"\"1.5x\""}
                                       << QString();
        QTest::newRow("unit") << point("1", "100MHz") << 2 << notDecimal + QStringList{"--frequency", "\"100MHz\""}
                              << QString();
        QTest::newRow("hexadecimal") << point("1", "0x1") << 2 << notDecimal + QStringList{"\"0x1\""} << QString();
        QTest::newRow("nan") << point("nan", "100") << 2 << notDecimal + QStringList{"\"nan\""} << QString();
        QTest::newRow("inf") << point("1", "inf") << 2 << notDecimal + QStringList{"\"inf\""} << QString();
        QTest::newRow("empty") << point("1", "") << 2 << notDecimal + QStringList{"got \"\""} << QString();
        QTest::newRow("blank inside") << point("1", "1 00") << 2 << notDecimal + QStringList{"\"1 00\""} << QString();
        QTest::newRow("above range") << point("1", "500") << 2
                                     << QStringList{"--frequency 500 MHz is out of range", "from 10 to 400 MHz"}
                                     << QString();
        QTest::newRow("fraction of a MHz in a sweep")
            << SweepArguments("100.5", "300", "1", "1953k", "5") << 2
            << QStringList{"--start 100.5 cannot be carried exactly", "a whole number from 10 to 400 MHz"} << QString();
        QTest::newRow("fraction of an interval") << SweepArguments("100", "300", "1", "1953k", "2.5") << 2
                                                 << QStringList{"--interval 2.5", "whole count from 1 to 2147483647"}
                                                 << QString();
        QTest::newRow("interval above range")
            << SweepArguments("100", "300", "1", "1953k", "99999999999") << 2
            << QStringList{"--interval 99999999999 is out of range", "from 1 to 2147483647"} << QString();
        QTest::newRow("end below start") << SweepArguments("300", "100", "1", "1953k", "5") << 2
                                         << QStringList{"--end 100 MHz is below --start 300 MHz"} << QString();
        QTest::newRow("sound") << point("1", "100") << 0 << QStringList() << kPoint1V100MhzFrame;
        QTest::newRow("above range, clamped")
            << point("4", "500") + QStringList{"--clamp"} << 0
            << QStringList{"frequency 500 MHz is above 400 MHz; sending 400 MHz"} << kPoint4V400MhzFrame;
    }
    void numbersReachTheBoardOnlyWhenSound()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, shown);
        QFETCH(QString, frame);
        QTemporaryDir linkDir;
        CVirtualBoard board;
        QVERIFY2(board.Open(linkDir.filePath(QStringLiteral("ttyVB0"))), qPrintable(board.ErrorText()));
        CliRun run;
        Run(QStringList{QStringLiteral("--port"), board.PortName(), QStringLiteral("--json")} + arguments, run, true);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, exitCode);
        const QString strShown = run.json.value(QStringLiteral("message")).toString()
                                 + Strings(run.json.value(QStringLiteral("notices"))).join(QLatin1Char('\n'));
        for (const QString& strText : shown)
            QVERIFY2(strShown.contains(strText), qPrintable(strShown));
        // A frame still on its way would arrive within this.
        QTest::qWait(300);
        QStringList received;
        for (const ReceivedFrame& receivedFrame : board.Frames())
            received.append(receivedFrame.Hex());
        QCOMPARE(received, frame.isEmpty() ? QStringList() : QStringList{frame});
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

    void helpAndVersion_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("absent");
        QTest::newRow("help") << QStringList{"--help"}
                              << QStringList{"point --amplitude V --frequency MHz", "--simulate-fault silent|refuse",
                                             "monitor [--duration MS]", "ports [--json]", "--clamp", "Exit status"}
                              << QString();
        QTest::newRow("short help") << QStringList{"-h"} << QStringList{"Usage: vevevar-cli"} << QString();
        QTest::newRow("help of a command")
            << QStringList{"point", "--help"}
            << QStringList{"point --amplitude V --frequency MHz [--clamp]", "nearer bound", "vevevar-cli --help"}
            << "monitor";
        QTest::newRow("help of ports") << QStringList{"ports", "-h"}
                                       << QStringList{"Usage: vevevar-cli ports [--json]", "serial number"}
                                       << "--port DEVICE";
        QTest::newRow("version") << QStringList{"--version"} << QStringList{QStringLiteral("vevevar-cli " VEVEVAR_VERSION)}
                                 << QString();
        QTest::newRow("short version") << QStringList{"-v"} << QStringList{QStringLiteral("vevevar-cli " VEVEVAR_VERSION)}
                                       << QString();
    }
    void helpAndVersion()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        QFETCH(QString, absent);
        CliRun run;
        Run(arguments, run);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, 0);
        for (const QString& strText : expected)
            QVERIFY2(run.strOut.contains(strText), qPrintable(strText));
        if (!absent.isEmpty())
            QVERIFY2(!run.strOut.contains(absent), qPrintable(run.strOut));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
