#include "scpi/message_run.h"
#include "encoding/words.h"
#include "protocol/frame_builders.h"
#include "support/golden_frames.h"
#include "support/scpi_session.h"
#include "support/sealed.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

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
        QTest::newRow("amplitude only stored while the output is off") << QByteArray("VOLT 1") << QStringList()
                                                                       << none;
        QTest::newRow("frequency only stored while the output is off") << QByteArray("FREQ 10 MHZ") << QStringList()
                                                                       << none;
        QTest::newRow("output on sends what was stored")
            << QByteArray("VOLT 1;:OUTP ON") << QStringList{kPoint1V100MhzFrame} << none;
        QTest::newRow("amplitude followed while the output is on")
            << QByteArray("OUTP ON;:VOLT 1") << QStringList{SealedPoint(100, 0), kPoint1V100MhzFrame} << none;
        QTest::newRow("frequency followed while the output is on")
            << QByteArray("OUTP1 ON;:SOUR1:FREQ 10 MHZ") << QStringList{SealedPoint(100, 0), kPoint0V10MhzFrame}
            << none;
        QTest::newRow("output off, then settings only stored")
            << QByteArray("OUTP ON;:OUTP OFF;:FREQ 150 MHZ;VOLT 2") << QStringList{SealedPoint(100, 0), kCloseFrame} << none;
        QTest::newRow("point at both highest values")
            << QByteArray("VOLT 4;FREQ 400 MHZ;:OUTP ON") << QStringList{kPoint4V400MhzFrame} << none;
        QTest::newRow("point from the float of the value")
            << QByteArray("FREQ 123.456 MHZ;:OUTP ON") << QStringList{Sealed(PointFrame(0, 0x1F9AD000, 0))} << none;
        QTest::newRow("sweep mode only stores") << QByteArray("OUTP ON;:FREQ:MODE SWE;:FREQ 200 MHZ;VOLT 2")
                                                << QStringList{SealedPoint(100, 0)} << none;
        QTest::newRow("CW mode ends a sweep with the point")
            << QByteArray("FREQ:MODE SWE;:INIT;:FREQ:MODE CW")
            << QStringList{SealedSweep(10, 400, 6, 5, false), SealedPoint(100, 0)} << none;
        QTest::newRow("CW mode with the output off only stores") << QByteArray("FREQ:MODE SWE;MODE CW")
                                                                 << QStringList() << none;
        QTest::newRow("abort holds a running sweep")
            << QByteArray("FREQ:MODE SWE;:SWE:COUN INF;:INIT;:ABOR")
            << QStringList{SealedSweep(10, 400, 6, 5, true), kPauseFrame} << none;
        QTest::newRow("abort with no sweep sends nothing") << QByteArray("OUTP ON;:ABOR")
                                                           << QStringList{SealedPoint(100, 0)} << none;
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
        QTest::newRow("stepped start and abort, no frame of their own")
            << QByteArray("FREQ:MODE LIST;:LIST:FREQ 10 MHZ,20 MHZ;:INIT;:SWE:PAUS;RES;:ABOR") << QStringList() << none;
        QTest::newRow("stepped start of an empty list") << QByteArray("FREQ:MODE LIST;:INIT") << QStringList()
                                                        << QList<int>{-221};
        QTest::newRow("CW mode ends a stepped sweep with the point")
            << QByteArray("FREQ:MODE LIST;:LIST:FREQ 10 MHZ;:INIT;:FREQ:MODE CW") << QStringList{SealedPoint(100, 0)}
            << none;
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
        CMessageRun run("VOLT 1;:OUTP ON", session.state, session.client);
        QCOMPARE(run.Next(), CMessageRun::Step::AwaitsBoard);
        const BoardRequest request = run.Request();
        QCOMPARE(request.kind, FrameKind::Point);
        QCOMPARE(Sealed(request.compose(1)), kPoint1V100MhzResentFrame);
        // A later command does not change the frame being resent.
        session.Run("FREQ:MODE SWE;:FREQ 200 MHZ");
        QCOMPARE(Sealed(request.compose(1)), kPoint1V100MhzResentFrame);
    }

    void boardOutcomes_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<BoardOutcome>("outcome");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QList<int>>("errors");
        QTest::newRow("point taken") << QByteArray("OUTP ON") << BoardOutcome::Acknowledged << "1" << QList<int>();
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

    // The board may still put out a signal until it acknowledges the close.
    void closeTurnsTheOutputOff_data()
    {
        QTest::addColumn<QByteArray>("close");
        QTest::newRow("output off") << QByteArray("OUTP OFF");
        QTest::newRow("reset") << QByteArray("*RST");
    }
    void closeTurnsTheOutputOff()
    {
        QFETCH(QByteArray, close);
        CScpiSession session;
        QCOMPARE(session.Run("OUTP ON;OUTP?").strResponse, QStringLiteral("1"));
        QCOMPARE(session.Run(close, BoardOutcome::NotAcknowledged).frames, QStringList{kCloseFrame});
        QCOMPARE(session.TakeErrorCodes(), QList<int>{-240});
        QCOMPARE(session.Run("OUTP?").strResponse, QStringLiteral("1"));
        QCOMPARE(session.Run(close + ";:OUTP?").strResponse, QStringLiteral("0"));
    }

    void resetRestoresTheDefaults()
    {
        CScpiSession session;
        const QByteArray query = "FREQ?;VOLT?;FREQ:STAR?;STOP?;:SWE:STEP?;DWEL?;COUN?;:FREQ:MODE?;:OUTP?;:FREQ:CURR?";
        const QString strDefaults = session.Run(query).strResponse;
        QCOMPARE(strDefaults, QStringLiteral("1.00000E+08;0.00000E+00;1.00000E+07;4.00000E+08;9.765625E+05;"
                                             "1.00000E-07;1;CW;0;0.00000E+00"));
        session.Run("FREQ 200 MHZ;VOLT 2;STAR 20 MHZ;STOP 30 MHZ;:SWE:STEP 125 MHZ;DWEL 1 ms;COUN INF;"
                    ":FREQ:MODE SWE;:OUTP ON");
        session.state.ReportReceived(QByteArray::fromHex("19999999"));
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

    // *OPC? and *WAI hold the rest of the message until a single sweep has
    // stopped running; 100 to 350 MHz in 125 MHz steps is two steps.
    void singleSweepIsWaitedFor_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QString>("response");
        QTest::addColumn<int>("waits");
        QTest::addColumn<int>("leastMsecs");
        const QByteArray sweep = "FREQ:MODE SWE;STAR 100 MHZ;STOP 350 MHZ;:SWE:STEP 125 MHZ;";
        const QByteArray noReport;
        QTest::newRow("its duration ends it") << sweep + "DWEL 0.15 s;:INIT;*OPC?;:STAT:OPER:COND?" << noReport
                                              << "1;0" << 1 << 300;
        QTest::newRow("*WAI waits too") << sweep + "DWEL 0.15 s;:INIT;*WAI;:STAT:OPER:COND?" << noReport << "0" << 1
                                        << 300;
        QTest::newRow("*OPC completes with it") << sweep + "DWEL 0.15 s;:INIT;*OPC;*ESR?;*WAI;*ESR?" << noReport
                                                << "0;1" << 1 << 300;
        QTest::newRow("a report at the stop ends it")
            << sweep + "DWEL 0.9 s;:SWE:STEP 15 kHz;:INIT;*OPC?;:STAT:OPER:COND?" << QByteArray::fromHex("59999999")
            << "1;0" << 1 << 0;
        QTest::newRow("circular is not waited for") << sweep + "COUN INF;:INIT;*OPC?;:STAT:OPER:COND?" << noReport
                                                    << "1;8" << 0 << 0;
        QTest::newRow("paused is not waited for") << sweep + "DWEL 0.9 s;:INIT;:SWE:PAUS;*OPC?;*ESR?" << noReport
                                                  << "1;0" << 0 << 0;
        QTest::newRow("abort ends it") << sweep + "DWEL 0.9 s;:INIT;:ABOR;*OPC;*ESR?" << noReport << "1" << 0 << 0;
        QTest::newRow("CW mode ends it") << sweep + "DWEL 0.9 s;:INIT;:FREQ:MODE CW;*OPC?" << noReport << "1" << 0
                                         << 0;
    }
    void singleSweepIsWaitedFor()
    {
        QFETCH(QByteArray, message);
        QFETCH(QByteArray, report);
        QFETCH(QString, response);
        QFETCH(int, waits);
        QFETCH(int, leastMsecs);
        CScpiSession session;
        if (!report.isEmpty())
            QTimer::singleShot(50, [&] { session.state.ReportReceived(report); });
        QElapsedTimer clock;
        clock.start();
        const MessageResult result = session.Run(message);
        QCOMPARE(result.strResponse, response);
        QCOMPARE(result.nSweepWaits, waits);
        QVERIFY(!session.state.Sweep().IsSingleSweepRunning());
        QVERIFY(clock.elapsed() >= leastMsecs);
        QCOMPARE(session.TakeErrorCodes(), QList<int>());
    }

    void clientsShareTheStateNotTheQueue()
    {
        CInstrumentState state;
        CScpiSession first(state, 1);
        CScpiSession second(state, 2);
        first.Run("FREQ:MODE SWE;:FREQ 1 GHZ");
        QCOMPARE(second.Run("FREQ:MODE?;:SYST:ERR?").strResponse, QStringLiteral("SWE;0,\"No error\""));
        QCOMPARE(first.TakeErrorCodes(), QList<int>{-222});
    }
};

QTEST_GUILESS_MAIN(TestScpiInstrument)
#include "test_scpi_instrument.moc"
