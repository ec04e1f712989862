#include "scpi/message_run.h"
#include "encoding/words.h"
#include "protocol/frame_builders.h"
#include "support/golden_frames.h"
#include "support/scpi_session.h"
#include "support/sealed.h"

#include <QTest>

Q_DECLARE_METATYPE(BoardOutcome)

namespace {

QString SealedPoint(float fMegahertz, float fVolts)
{
    return Sealed(PointFrame(0, FrequencyToTuningWord(fMegahertz), AmplitudeToWord(fVolts, kSinglePointAmplitudeScale)));
}

QString SealedSweep(int nStart, int nStop, int nStepCode, int nIntervalCount, bool bCircular)
{
    SweepFrameFields fields;
    fields.dwStartWord = FrequencyToTuningWord(static_cast<float>(nStart));
    fields.dwEndWord = FrequencyToTuningWord(static_cast<float>(nStop));
    fields.nStepCode = nStepCode;
    fields.nIntervalCount = nIntervalCount;
    fields.bCircular = bCircular;
    return Sealed(SweepFrame(0, fields));
}

} // namespace

// What the commands ask of the board, what its answers do to the state, and
// the status a client reads back.
class TestScpiInstrument : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void frames_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QList<int>>("errors");
        const QList<int> none;
        QTest::newRow("CW amplitude sends the point") << QByteArray("VOLT 1") << QStringList{kPoint1V100MhzFrame}
                                                      << none;
        QTest::newRow("CW frequency sends the point")
            << QByteArray("FREQ 10 MHZ") << QStringList{kPoint0V10MhzFrame} << none;
        QTest::newRow("point at both highest values")
            << QByteArray("VOLT 4;FREQ 400 MHZ") << QStringList{SealedPoint(100, 4), kPoint4V400MhzFrame} << none;
        QTest::newRow("point from the float of the value")
            << QByteArray("FREQ 123.456 MHZ") << QStringList{Sealed(PointFrame(0, 0x1F9AD000, 0))} << none;
        QTest::newRow("sweep mode only stores") << QByteArray("FREQ:MODE SWE;:FREQ 200 MHZ;VOLT 2") << QStringList()
                                                << none;
        QTest::newRow("output on in CW") << QByteArray("OUTP ON") << QStringList{SealedPoint(100, 0)} << none;
        QTest::newRow("initiate in CW") << QByteArray("INIT") << QStringList{SealedPoint(100, 0)} << none;
        QTest::newRow("sweep of the defaults")
            << QByteArray("FREQ:MODE SWE;:INIT:IMM") << QStringList{SealedSweep(10, 400, 6, 5, false)} << none;
        QTest::newRow("sweep 100 to 300 by 1953k")
            << QByteArray("FREQ:MODE SWE;STAR 100 MHZ;STOP 300 MHZ;:VOLT 1;:SWE:STEP 1953 kHz;DWEL 100 ns;:INIT")
            << QStringList{kSweep100To300MhzBy1953kFrame} << none;
        QTest::newRow("sweep by the exact 15k step")
            << QByteArray("FREQ:MODE SWE;:VOLT 1;:SWE:STEP 15.2587890625 kHz;:OUTP ON")
            << QStringList{kSweep10To400MhzBy15kFrame} << none;
        QTest::newRow("sweep by the 15.625M row")
            << QByteArray("SOUR:FREQ:MODE SWE;STAR 100e6;STOP 300e6;:VOLT 1;:SWE:STEP 15.625MHZ;:INIT")
            << QStringList{kSweep100To300MhzBy15p625MFrame} << none;
        QTest::newRow("circular sweep, dwell in counts")
            << QByteArray("SWE:COUN INF;DWEL 2 ms;:FREQ:MODE SWE;:INIT")
            << QStringList{SealedSweep(10, 400, 6, 100000, true)} << none;
        QTest::newRow("dwell rounded to its count")
            << QByteArray("SWE:DWEL 99.95 ns;:FREQ:MODE SWE;:INIT") << QStringList{SealedSweep(10, 400, 6, 5, false)}
            << none;
        QTest::newRow("start above stop") << QByteArray("FREQ:MODE SWE;STAR 300 MHZ;STOP 100 MHZ;:INIT")
                                          << QStringList() << QList<int>{-221};
        QTest::newRow("start equal to stop") << QByteArray("FREQ:MODE SWE;STAR 200 MHZ;STOP 200 MHZ;:OUTP ON")
                                             << QStringList() << QList<int>{-221};
        QTest::newRow("refused value sends nothing") << QByteArray("FREQ 5 MHZ") << QStringList()
                                                     << QList<int>{-222};
        QTest::newRow("output off") << QByteArray("OUTP OFF") << QStringList{kCloseFrame} << none;
        QTest::newRow("reset") << QByteArray("*RST") << QStringList{kCloseFrame} << none;
        QTest::newRow("pause") << QByteArray("SWE:PAUS") << QStringList{kPauseFrame} << none;
        QTest::newRow("resume") << QByteArray("SOUR:SWE:RES") << QStringList{kContinueFrame} << none;
        QTest::newRow("one frame a command")
            << QByteArray("OUTP ON;:SWE:PAUS;RES;:OUTP OFF")
            << QStringList{SealedPoint(100, 0), kPauseFrame, kContinueFrame, kCloseFrame} << none;
    }
    void frames()
    {
        QFETCH(QByteArray, message);
        QFETCH(QStringList, frames);
        QFETCH(QList<int>, errors);
        CScpiSession session;
        QCOMPARE(session.Run(message).frames, frames);
        QCOMPARE(session.TakeErrorCodes(), errors);
    }

    void resendsCarryTheirCount()
    {
        CScpiSession session;
        CMessageRun run("VOLT 1", session.state, session.errors);
        const std::optional<BoardRequest> request = run.Next();
        QVERIFY(request);
        QCOMPARE(request->kind, FrameKind::Point);
        QCOMPARE(Sealed(request->compose(1)), kPoint1V100MhzResentFrame);
        // A later command does not change the frame being resent.
        session.Run("FREQ:MODE SWE;:FREQ 200 MHZ");
        QCOMPARE(Sealed(request->compose(1)), kPoint1V100MhzResentFrame);
    }

    void boardOutcomes_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<BoardOutcome>("outcome");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QList<int>>("errors");
        QTest::newRow("point taken") << QByteArray("FREQ 200 MHZ") << BoardOutcome::Acknowledged << "1" << QList<int>();
        QTest::newRow("sweep taken") << QByteArray("FREQ:MODE SWE;:INIT") << BoardOutcome::Acknowledged << "1"
                                     << QList<int>();
        QTest::newRow("pause taken") << QByteArray("SWE:PAUS") << BoardOutcome::Acknowledged << "0" << QList<int>();
        QTest::newRow("point not acknowledged")
            << QByteArray("OUTP ON") << BoardOutcome::NotAcknowledged << "0" << QList<int>{-240};
        QTest::newRow("port failed") << QByteArray("INIT") << BoardOutcome::PortFailure << "0" << QList<int>{-241};
        QTest::newRow("every frame answered")
            << QByteArray("OUTP ON;:SWE:PAUS") << BoardOutcome::NotAcknowledged << "0" << QList<int>{-240, -240};
    }
    void boardOutcomes()
    {
        QFETCH(QByteArray, message);
        QFETCH(BoardOutcome, outcome);
        QFETCH(QString, output);
        QFETCH(QList<int>, errors);
        CScpiSession session;
        session.Run(message, outcome);
        QCOMPARE(session.TakeErrorCodes(), errors);
        QCOMPARE(session.Run("OUTP?").strResponse, output);
    }

    void closeTurnsTheOutputOff()
    {
        CScpiSession session;
        QCOMPARE(session.Run("OUTP ON;OUTP?").strResponse, QStringLiteral("1"));
        QCOMPARE(session.Run("OUTP OFF", BoardOutcome::NotAcknowledged).frames, QStringList{kCloseFrame});
        QCOMPARE(session.Run("OUTP?").strResponse, QStringLiteral("1"));
        QCOMPARE(session.Run("OUTP 0;OUTP?").strResponse, QStringLiteral("0"));
    }

    void resetRestoresTheDefaults()
    {
        CScpiSession session;
        const QByteArray query = "FREQ?;VOLT?;FREQ:STAR?;STOP?;:SWE:STEP?;DWEL?;COUN?;:FREQ:MODE?;:OUTP?";
        const QString strDefaults = session.Run(query).strResponse;
        QCOMPARE(strDefaults, QStringLiteral("1.00000E+08;0.00000E+00;1.00000E+07;4.00000E+08;9.76000E+05;"
                                             "1.00000E-07;1;CW;0"));
        session.Run("FREQ 200 MHZ;VOLT 2;STAR 20 MHZ;STOP 30 MHZ;:SWE:STEP 125 MHZ;DWEL 1 ms;COUN INF;"
                    ":FREQ:MODE SWE;:OUTP ON");
        QVERIFY(session.Run(query).strResponse != strDefaults);
        QCOMPARE(session.Run("*RST").frames, QStringList{kCloseFrame});
        QCOMPARE(session.Run(query).strResponse, strDefaults);
    }

    void currentFrequency_data()
    {
        QTest::addColumn<QList<QByteArray>>("reports");
        QTest::addColumn<QString>("current");
        QTest::newRow("100 MHz") << QList<QByteArray>{QByteArray::fromHex("19999999")} << "1.00000E+08";
        QTest::newRow("250 MHz") << QList<QByteArray>{QByteArray::fromHex("40000000")} << "2.50000E+08";
        QTest::newRow("just below 400 MHz is shown")
            << QList<QByteArray>{QByteArray::fromHex("66666666")} << "4.00000E+08";
        QTest::newRow("just below 10 MHz is not")
            << QList<QByteArray>{QByteArray::fromHex("028F5C28")} << "0.00000E+00";
        QTest::newRow("acknowledgement") << QList<QByteArray>{QByteArray("OK")} << "0.00000E+00";
        QTest::newRow("longer than a report")
            << QList<QByteArray>{QByteArray::fromHex("1999999900")} << "0.00000E+00";
        QTest::newRow("a later report outside is ignored")
            << QList<QByteArray>{QByteArray::fromHex("40000000"), QByteArray::fromHex("7FFFFFFF")} << "2.50000E+08";
    }
    void currentFrequency()
    {
        QFETCH(QList<QByteArray>, reports);
        QFETCH(QString, current);
        CScpiSession session;
        for (const QByteArray& bytes : reports)
            session.state.ReportReceived(bytes);
        QCOMPARE(session.Run("FREQ:CURR?").strResponse, current);
    }

    void errorQueueAnswersOldestFirst()
    {
        CScpiSession session;
        session.Run("FOO;FREQ 1 GHZ");
        QCOMPARE(session.Run("SYST:ERR?;ERR:NEXT?;:SYST:ERR?").strResponse,
                 QStringLiteral("-113,\"Undefined header\";-222,\"Data out of range\";0,\"No error\""));
    }

    // Every error the core or the server queues, with its event bit.
    void errorEntries_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("eventStatus");
        QTest::newRow("-102") << 0 << "-102,\"Syntax error\"" << 32;
        QTest::newRow("-104") << 1 << "-104,\"Data type error\"" << 32;
        QTest::newRow("-113") << 2 << "-113,\"Undefined header\"" << 32;
        QTest::newRow("-221") << 3 << "-221,\"Settings conflict\"" << 16;
        QTest::newRow("-222") << 4 << "-222,\"Data out of range\"" << 16;
        QTest::newRow("-223") << 5 << "-223,\"Too much data\"" << 16;
        QTest::newRow("-224") << 6 << "-224,\"Illegal parameter value\"" << 16;
        QTest::newRow("-240") << 7 << "-240,\"Hardware error;board did not acknowledge\"" << 16;
        QTest::newRow("-241") << 8 << "-241,\"Hardware missing\"" << 16;
        QTest::newRow("-350") << 9 << "-350,\"Queue overflow\"" << 8;
    }
    void errorEntries()
    {
        QFETCH(int, index);
        QFETCH(QString, entry);
        QFETCH(int, eventStatus);
        const ScpiError all[] = {kSyntaxError, kDataTypeError, kUndefinedHeader, kSettingsConflict,
                                 kDataOutOfRange, kTooMuchData, kIllegalParameterValue, kBoardDidNotAcknowledge,
                                 kHardwareMissing, kQueueOverflow};
        CErrorQueue errors;
        errors.Push(all[index]);
        QCOMPARE(errors.StatusByte(), 4 | 32);
        QCOMPARE(errors.TakeEventStatus(), eventStatus);
        QCOMPARE(errors.TakeNext(), entry);
        QCOMPARE(errors.StatusByte(), 0);
    }

    void queueOverflowKeepsTheOldest()
    {
        CErrorQueue errors;
        for (int n = 0; n < CErrorQueue::kCapacity + 4; ++n)
            errors.Push(n == 0 ? kDataOutOfRange : kSyntaxError);
        QCOMPARE(errors.Size(), CErrorQueue::kCapacity);
        QCOMPARE(errors.TakeNext(), QStringLiteral("-222,\"Data out of range\""));
        for (int n = 1; n < CErrorQueue::kCapacity - 1; ++n)
            QCOMPARE(errors.TakeNext(), QStringLiteral("-102,\"Syntax error\""));
        QCOMPARE(errors.TakeNext(), QStringLiteral("-350,\"Queue overflow\""));
        QVERIFY(errors.IsEmpty());
    }

    void queueOverflowFromOneMessage()
    {
        CScpiSession session;
        session.Run(QByteArray("FOO;").repeated(CErrorQueue::kCapacity) + "FOO");
        QList<int> expected(CErrorQueue::kCapacity - 1, -113);
        expected.append(-350);
        QCOMPARE(session.TakeErrorCodes(), expected);
    }

    void statusBits_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("response");
        QTest::newRow("nothing wrong") << QByteArray("*STB?;*ESR?") << "0;0";
        QTest::newRow("command error") << QByteArray("FOO;*STB?;*ESR?;*STB?") << "36;32;4";
        QTest::newRow("execution error") << QByteArray("FREQ 1;*ESR?") << "16";
        QTest::newRow("device error") << QByteArray(QByteArray("FOO;").repeated(17) + "*ESR?") << "40";
        QTest::newRow("operation complete") << QByteArray("*OPC;*ESR?") << "1";
        QTest::newRow("event status read once") << QByteArray("FOO;*ESR?;*ESR?") << "32;0";
        QTest::newRow("clear empties both") << QByteArray("FOO;FREQ 1;*CLS;*STB?;*ESR?;:SYST:ERR?")
                                            << "0;0;0,\"No error\"";
    }
    void statusBits()
    {
        QFETCH(QByteArray, message);
        QFETCH(QString, response);
        CScpiSession session;
        QCOMPARE(session.Run(message).strResponse, response);
    }

    void clientsShareTheStateNotTheQueue()
    {
        CInstrumentState state;
        CErrorQueue first;
        CErrorQueue second;
        CMessageRun setting("FREQ:MODE SWE;:FREQ 1 GHZ", state, first);
        QVERIFY(!setting.Next());
        CMessageRun reading("FREQ:MODE?;:SYST:ERR?", state, second);
        QVERIFY(!reading.Next());
        QCOMPARE(reading.Response(), QStringLiteral("SWE;0,\"No error\""));
        QCOMPARE(first.TakeNext(), QStringLiteral("-222,\"Data out of range\""));
    }
};

QTEST_APPLESS_MAIN(TestScpiInstrument)
#include "test_scpi_instrument.moc"
