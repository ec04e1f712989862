#include "encoding/words.h"
#include "protocol/frame_builders.h"
#include "support/scpi_session.h"
#include "support/sealed.h"

#include <QTest>

// The status a client reads back: its error queue, its registers and those
// of the shared sweep, the self-test, and the lock one client may hold.
class TestScpiStatus : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
        CSweepTracker sweep;
        CClientStatus status;
        status.SetEventEnable(255);
        status.Errors().Push(all[index]);
        QCOMPARE(status.StatusByte(sweep), 4 | 32);
        QCOMPARE(status.TakeEventStatus(sweep), eventStatus);
        QCOMPARE(status.Errors().TakeNext(), entry);
        QCOMPARE(status.StatusByte(sweep), 0);
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
        const QByteArray circularSweep = "FREQ:MODE SWE;:SWE:COUN INF;:INIT;";
        QTest::newRow("nothing wrong") << QByteArray("*STB?;*ESR?") << "0;0";
        QTest::newRow("the defaults") << QByteArray("*RST;*ESE?;*SRE?;*TST?;*STB?") << "0;0;0;0";
        QTest::newRow("command error, ESB masked") << QByteArray("FOO;*STB?;*ESR?;*STB?") << "4;32;4";
        QTest::newRow("command error, ESB enabled") << QByteArray("*ESE 32;FOO;*STB?;*ESR?;*STB?") << "36;32;4";
        QTest::newRow("MSS from SRE") << QByteArray("*ESE 32;*SRE 32;FOO;*STB?") << "100";
        QTest::newRow("SRE ignores bit 6") << QByteArray("*SRE 255;*SRE?") << "191";
        QTest::newRow("masks read back") << QByteArray("*ESE 36;*SRE 4.4;*ESE?;*SRE?") << "36;4";
        QTest::newRow("mask out of range") << QByteArray("*ESE 256;*ESE?;:SYST:ERR?") << "0;-222,\"Data out of range\"";
        QTest::newRow("execution error") << QByteArray("FREQ 1;*ESR?") << "16";
        QTest::newRow("device error") << QByteArray(QByteArray("FOO;").repeated(17) + "*ESR?") << "40";
        QTest::newRow("operation complete") << QByteArray("*OPC;*ESR?") << "1";
        QTest::newRow("circular sweep pending nothing") << circularSweep + "*OPC;*ESR?" << "1";
        QTest::newRow("event status read once") << QByteArray("FOO;*ESR?;*ESR?") << "32;0";
        QTest::newRow("clear empties both") << QByteArray("FOO;FREQ 1;*CLS;*STB?;*ESR?;:SYST:ERR?")
                                            << "0;0;0,\"No error\"";
        QTest::newRow("error count and all")
            << QByteArray("FOO;FREQ 1;:SYST:ERR:COUN?;ALL?;COUN?")
            << "2;-113,\"Undefined header\",-222,\"Data out of range\";0";
        QTest::newRow("all of an empty queue") << QByteArray("SYST:ERR:ALL?") << "0,\"No error\"";
        QTest::newRow("sweeping condition and event") << circularSweep + ":STAT:OPER:COND?;EVEN?;EVEN?;:STAT:OPER?"
                                                      << "8;8;0;0";
        QTest::newRow("paused is not sweeping")
            << circularSweep + ":SWE:PAUS;:STAT:OPER:COND?;:STAT:OPER?" << "0;8";
        QTest::newRow("continue is a new event")
            << circularSweep + ":SWE:PAUS;:STAT:OPER?;:SWE:RES;:STAT:OPER:COND?;EVEN?" << "8;8;8";
        QTest::newRow("OPER summary when enabled") << "STAT:OPER:ENAB 8;:" + circularSweep + "*STB?;*STB?" << "128;128";
        QTest::newRow("clear takes the event") << circularSweep + "*CLS;:STAT:OPER?" << "0";
        QTest::newRow("stepped run sweeping until paused or aborted")
            << QByteArray("FREQ:MODE LIST;:LIST:FREQ 10 MHZ;:SWE:COUN INF;:INIT;:STAT:OPER:COND?;:SWE:PAUS;"
                          ":STAT:OPER:COND?;:SWE:RES;:STAT:OPER:COND?;:ABOR;:STAT:OPER:COND?")
            << "8;0;8;0";
        QTest::newRow("enables read back") << QByteArray("STAT:OPER:ENAB 8;ENAB?;:STAT:QUES:ENAB 32767;ENAB?")
                                           << "8;32767";
        QTest::newRow("preset clears the enables")
            << QByteArray("STAT:OPER:ENAB 8;:STAT:QUES:ENAB 4;:STAT:PRES;:STAT:OPER:ENAB?;:STAT:QUES:ENAB?") << "0;0";
        QTest::newRow("nothing questionable") << QByteArray("STAT:QUES?;QUES:COND?;:STAT:QUES:EVEN?") << "0;0;0";
    }
    void statusBits()
    {
        QFETCH(QByteArray, message);
        QFETCH(QString, response);
        CScpiSession session;
        QCOMPARE(session.Run(message).strResponse, response);
    }

    // What another client's lock lets a client do.
    void lock_data()
    {
        QTest::addColumn<QByteArray>("owner");
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("response");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QList<int>>("errors");
        const QByteArray locked = "SYST:LOCK:REQ?";
        const QStringList point{Sealed(PointFrame(0, FrequencyToTuningWord(100), 0))};
        QTest::newRow("a setting refused") << locked << QByteArray("FREQ 300 MHZ;FREQ?") << "1.00000E+08"
                                           << QStringList() << QList<int>{-203};
        QTest::newRow("a frame refused") << locked << QByteArray("OUTP ON;*RST;:OUTP?") << "0" << QStringList()
                                         << QList<int>{-203, -203};
        QTest::newRow("queries answered") << locked << QByteArray("SYST:LOCK:OWN?;*IDN?;:FREQ:MODE?")
                                          << "REMOTE;Vevevar,Azevora,0," VEVEVAR_VERSION ";CW" << QStringList()
                                          << QList<int>();
        QTest::newRow("its own status is its own") << locked << QByteArray("*CLS;*ESE 4;*ESE?;*OPC?") << "4;1"
                                                   << QStringList() << QList<int>();
        QTest::newRow("no second lock") << locked << QByteArray("SYST:LOCK:REQ?") << "0" << QStringList()
                                        << QList<int>();
        QTest::newRow("no release of another's") << locked << QByteArray("SYST:LOCK:REL;OWN?") << "REMOTE"
                                                 << QStringList() << QList<int>{-203};
        QTest::newRow("released, as before") << locked + ";REL" << QByteArray("OUTP ON;:SYST:LOCK:OWN?") << "NONE"
                                             << point << QList<int>();
        QTest::newRow("no lock, as before") << QByteArray("*IDN?") << QByteArray("OUTP ON;:SYST:LOCK:REQ?;OWN?")
                                            << "1;LOCAL" << point << QList<int>();
    }
    void lock()
    {
        QFETCH(QByteArray, owner);
        QFETCH(QByteArray, message);
        QFETCH(QString, response);
        QFETCH(QStringList, frames);
        QFETCH(QList<int>, errors);
        CInstrumentState state;
        CScpiSession first(state, 1);
        CScpiSession second(state, 2);
        first.Run(owner);
        const MessageResult result = second.Run(message);
        QCOMPARE(result.strResponse, response);
        QCOMPARE(result.frames, frames);
        QCOMPARE(second.TakeErrorCodes(), errors);
    }

    void selfTestFindsTheClosedPort()
    {
        CScpiSession session;
        session.state.SetPortOpen(false);
        QCOMPARE(session.Run("*TST?").strResponse, QStringLiteral("1"));
    }
};

QTEST_GUILESS_MAIN(TestScpiStatus)
#include "test_scpi_status.moc"
