#include "support/scpi_session.h"

#include <QTest>

// The syntax a client may use: forms, case, optional nodes, the header path,
// units and keywords, and the command errors each fault queues.
class TestScpiParser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answers_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("response");
        QTest::addColumn<QList<int>>("errors");
        const QList<int> none;
        QTest::newRow("identity") << QByteArray("*IDN?") << QStringLiteral("Vevevar,Azevora,0," VEVEVAR_VERSION)
                                  << none;
        QTest::newRow("common command in lower case") << QByteArray("*idn?")
                                                      << QStringLiteral("Vevevar,Azevora,0," VEVEVAR_VERSION) << none;
        QTest::newRow("long forms") << QByteArray("SOURCE:FREQUENCY:CW?") << "1.00000E+08" << none;
        QTest::newRow("short forms") << QByteArray("SOUR:FREQ:CW?") << "1.00000E+08" << none;
        QTest::newRow("mixed case") << QByteArray("sOuR:fReQuEnCy?") << "1.00000E+08" << none;
        QTest::newRow("optional nodes left out") << QByteArray("FREQ?") << "1.00000E+08" << none;
        QTest::newRow("alternative optional node") << QByteArray("FREQ:FIX?") << "1.00000E+08" << none;
        QTest::newRow("every optional node") << QByteArray("SOUR:VOLT:LEV:IMM:AMPL?") << "0.00000E+00" << none;
        QTest::newRow("some optional nodes") << QByteArray("VOLT:AMPL?") << "0.00000E+00" << none;
        QTest::newRow("neither short nor long form") << QByteArray("FREQU?") << "" << QList<int>{-113};
        QTest::newRow("path kept after a semicolon") << QByteArray("FREQ:STAR?;STOP?") << "1.00000E+07;4.00000E+08"
                                                     << none;
        QTest::newRow("relative header below the path") << QByteArray("FREQ:STAR?;SWE:STEP?") << "1.00000E+07"
                                                        << QList<int>{-113};
        QTest::newRow("colon back to the root") << QByteArray("FREQ:STAR?;:SWE:STEP?") << "1.00000E+07;9.765625E+05"
                                                << none;
        QTest::newRow("common command keeps the path") << QByteArray("FREQ:STAR?;*OPC?;STOP?")
                                                       << "1.00000E+07;1;4.00000E+08" << none;
        QTest::newRow("implied source node in the path") << QByteArray("FREQ?;VOLT?") << "1.00000E+08;0.00000E+00"
                                                         << none;
        QTest::newRow("leaf at the root keeps the root") << QByteArray("OUTP?;SYST:VERS?") << "0;1999.0" << none;
        QTest::newRow("path under system") << QByteArray("SYST:ERR?;VERS?") << "0,\"No error\";1999.0" << none;
        QTest::newRow("sweep subsystem") << QByteArray("SWE:STEP?;DWEL?;COUN?") << "9.765625E+05;1.00000E-07;1"
                                         << none;
        QTest::newRow("white space and carriage return") << QByteArray("  FREQ? ;\tVOLT?\r")
                                                         << "1.00000E+08;0.00000E+00" << none;
        QTest::newRow("empty message") << QByteArray("") << "" << none;
        QTest::newRow("blank message") << QByteArray(" \t") << "" << none;
        QTest::newRow("queries joined") << QByteArray("*OPC?;OUTP?;FREQ:MODE?;:SYST:VERS?") << "1;0;CW;1999.0" << none;
        QTest::newRow("wait answers nothing") << QByteArray("*WAI") << "" << none;
        QTest::newRow("current before any report") << QByteArray("FREQ:CURR?") << "0.00000E+00" << none;
        QTest::newRow("limits asked") << QByteArray("FREQ? MIN;FREQ? MAX;FREQ? DEF")
                                      << "1.00000E+07;4.00000E+08;1.00000E+08" << none;
        QTest::newRow("longest dwell asked") << QByteArray("SWE:DWEL? MAXIMUM") << "9.9999998E-01" << none;
        QTest::newRow("number where a limit is asked") << QByteArray("FREQ? 5") << "" << QList<int>{-104};
        QTest::newRow("-102 character in a header") << QByteArray("FR#Q?") << "" << QList<int>{-102};
        QTest::newRow("-102 colon without a node") << QByteArray("FREQ:?") << "" << QList<int>{-102};
        QTest::newRow("-102 missing parameter") << QByteArray("FREQ") << "" << QList<int>{-102};
        QTest::newRow("-102 surplus parameter") << QByteArray("FREQ 1E8,2E8") << "" << QList<int>{-102};
        QTest::newRow("-102 parameter of a query") << QByteArray("*IDN? 1") << "" << QList<int>{-102};
        QTest::newRow("empty command left out") << QByteArray("FREQ?;;VOLT?") << "1.00000E+08;0.00000E+00"
                                                << none;
        QTest::newRow("trailing semicolon") << QByteArray("*IDN?;")
                                            << QStringLiteral("Vevevar,Azevora,0," VEVEVAR_VERSION) << none;
        QTest::newRow("semicolons only") << QByteArray(" ; ;") << "" << none;
        QTest::newRow("suffix 1 on SOURce") << QByteArray("SOUR1:FREQ?") << "1.00000E+08" << none;
        QTest::newRow("suffix 1 on OUTPut") << QByteArray("OUTPUT1:STAT?;:OUTP1?") << "0;0" << none;
        QTest::newRow("suffix 1 in the path") << QByteArray("SOURCE1:FREQ:STAR?;STOP?") << "1.00000E+07;4.00000E+08"
                                              << none;
        QTest::newRow("-114 suffix 2 on SOURce") << QByteArray("SOUR2:FREQ?") << "" << QList<int>{-114};
        QTest::newRow("-114 suffix 0 on OUTPut") << QByteArray("OUTP0 ON") << "" << QList<int>{-114};
        QTest::newRow("-114 suffix where none is taken") << QByteArray("FREQ1?") << "" << QList<int>{-114};
        QTest::newRow("-113 suffix on an unknown header") << QByteArray("FOO1?") << "" << QList<int>{-113};
        QTest::newRow("-102 open string") << QByteArray("FREQ 'abc") << "" << QList<int>{-102};
        QTest::newRow("-102 unit of another quantity") << QByteArray("FREQ 100 V") << "" << QList<int>{-102};
        QTest::newRow("-102 unknown unit") << QByteArray("FREQ 100 XHZ") << "" << QList<int>{-102};
        QTest::newRow("-102 no digits") << QByteArray("VOLT -.") << "" << QList<int>{-102};
        QTest::newRow("-104 string for a number") << QByteArray("FREQ 'abc'") << "" << QList<int>{-104};
        QTest::newRow("-104 word for a number") << QByteArray("FREQ HIGH") << "" << QList<int>{-104};
        QTest::newRow("-104 number for a mode") << QByteArray("FREQ:MODE 1") << "" << QList<int>{-104};
        QTest::newRow("-113 unknown header") << QByteArray("FOO?") << "" << QList<int>{-113};
        QTest::newRow("-113 query of a command") << QByteArray("INIT?") << "" << QList<int>{-113};
        QTest::newRow("-113 command of a query") << QByteArray("*IDN") << "" << QList<int>{-113};
        QTest::newRow("-224 unknown mode") << QByteArray("FREQ:MODE LOOP") << "" << QList<int>{-224};
        QTest::newRow("-224 sweep count") << QByteArray("SWE:COUN 2") << "" << QList<int>{-224};
        QTest::newRow("-224 output word") << QByteArray("OUTP MAYBE") << "" << QList<int>{-224};
        QTest::newRow("errors in order, answers go on") << QByteArray("FOO;FREQ HIGH;*OPC?") << "1"
                                                        << QList<int>{-113, -104};
        QTest::newRow("semicolon inside a string") << QByteArray("FREQ 'a;b';*OPC?") << "1" << QList<int>{-104};
        QTest::newRow("stepped settings") << QByteArray("FREQ:MODE LIST;MODE?;:SWE:SPAC LOG;SPAC?;POIN 31;POIN?;DWEL 50 ms;"
                                                        "DWEL?;:LIST:FREQ 10 MHZ,2.5e8;FREQ?;FREQ:POIN?;:LIST:VOLT?")
                                          << "LIST;LOG;31;5.00000E-02;1.00000E+07,2.50000E+08;2;" << QList<int>();
        QTest::newRow("planned time of a log sweep") << QByteArray("SWE:SPAC LOG;POIN 31;DWEL 0.05;:FREQ:MODE SWE;"
                                                                   ":SWE:TIME?") << "1.55000E+00" << QList<int>();
        QTest::newRow("planned time of a list") << QByteArray("FREQ:MODE LIST;:LIST:FREQ 10 MHZ,20 MHZ;DWEL 0.5,1.5;"
                                                              ":SWE:TIME?") << "2.00000E+00" << QList<int>();
        QTest::newRow("-221 list lengths differ") << QByteArray("FREQ:MODE LIST;:LIST:FREQ 10 MHZ,20 MHZ;VOLT 1,2,3;"
                                                                ":INIT;:OUTP?") << "0" << QList<int>{-221};
    }
    void answers()
    {
        QFETCH(QByteArray, message);
        QFETCH(QString, response);
        QFETCH(QList<int>, errors);
        CScpiSession session;
        QCOMPARE(session.Run(message).strResponse, response);
        QCOMPARE(session.TakeErrorCodes(), errors);
    }

    // A setting reads back as the client wrote it, in the base unit.
    void settingsReadBack_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("response");
        QTest::newRow("megahertz, upper case") << QByteArray("FREQ 100 MHZ;FREQ?") << "1.00000E+08";
        QTest::newRow("megahertz, as written") << QByteArray("FREQ 123.456MHz;FREQ?") << "1.23456E+08";
        QTest::newRow("every digit kept") << QByteArray("FREQ 123456789.123;FREQ?") << "1.23456789123E+08";
        QTest::newRow("gigahertz") << QByteArray("FREQ 0.1GHZ;FREQ?") << "1.00000E+08";
        QTest::newRow("kilohertz") << QByteArray("FREQ 250000 kHz;FREQ?") << "2.50000E+08";
        QTest::newRow("hertz") << QByteArray("FREQ 1.5e+08 Hz;FREQ?") << "1.50000E+08";
        QTest::newRow("bare number in hertz") << QByteArray("FREQ 150000000;FREQ?") << "1.50000E+08";
        QTest::newRow("answer written back") << QByteArray("FREQ 1.23456E+08;FREQ?") << "1.23456E+08";
        QTest::newRow("exponent with blanks") << QByteArray("FREQ 1.5 E 8;FREQ?") << "1.50000E+08";
        QTest::newRow("MIN") << QByteArray("FREQ MIN;FREQ?") << "1.00000E+07";
        QTest::newRow("MAXimum long form") << QByteArray("FREQ maximum;FREQ?") << "4.00000E+08";
        QTest::newRow("DEF") << QByteArray("FREQ 200 MHZ;FREQ DEF;FREQ?") << "1.00000E+08";
        QTest::newRow("volts") << QByteArray("VOLT 1.5;VOLT?") << "1.50000E+00";
        QTest::newRow("millivolts") << QByteArray("VOLT 500 mV;VOLT?") << "5.00000E-01";
        QTest::newRow("MV is milli, not mega") << QByteArray("VOLT 500 MV;VOLT?") << "5.00000E-01";
        QTest::newRow("volts MAX") << QByteArray("VOLT MAX;VOLT?") << "4.00000E+00";
        QTest::newRow("nanoseconds") << QByteArray("SWE:DWEL 100 ns;DWEL?") << "1.00000E-07";
        QTest::newRow("microseconds") << QByteArray("SWE:DWEL 0.1 us;DWEL?") << "1.00000E-07";
        QTest::newRow("milliseconds, upper case") << QByteArray("SWE:DWEL 2 MS;DWEL?") << "2.00000E-03";
        QTest::newRow("seconds") << QByteArray("SWE:DWEL 1e-6 s;DWEL?") << "1.00000E-06";
        QTest::newRow("dwell as the board's count") << QByteArray("SWE:DWEL 100.05 ns;DWEL?") << "1.00000E-07";
        QTest::newRow("dwell rounded up to its count") << QByteArray("SWE:DWEL 99.95 ns;DWEL?") << "1.00000E-07";
        QTest::newRow("dwell 0.09 ns over") << QByteArray("SWE:DWEL 100.09 ns;DWEL?") << "1.00000E-07";
        QTest::newRow("step by its label") << QByteArray("SWE:STEP 1953 kHz;STEP?") << "1.953125E+06";
        QTest::newRow("step the board makes") << QByteArray("SWE:STEP 990 kHz;STEP?") << "9.765625E+05";
        QTest::newRow("step by its exact value") << QByteArray("SWE:STEP 976562.5;STEP?") << "9.765625E+05";
        QTest::newRow("largest step") << QByteArray("SWE:STEP 125 MHZ;STEP?") << "1.25000E+08";
        QTest::newRow("step MIN") << QByteArray("SWE:STEP MIN;STEP?") << "1.52587890625E+04";
        QTest::newRow("start and stop") << QByteArray("FREQ:STAR 20 MHZ;STOP 300 MHZ;STAR?;STOP?")
                                        << "2.00000E+07;3.00000E+08";
        QTest::newRow("count infinity") << QByteArray("SWE:COUN INF;COUN?") << "9.9E37";
        QTest::newRow("count infinity written back") << QByteArray("SWE:COUN 9.9E37;COUN?") << "9.9E37";
        QTest::newRow("count once") << QByteArray("SWE:COUN INFINITY;COUN 1;COUN?") << "1";
        QTest::newRow("count MAX") << QByteArray("SWE:COUN MAX;COUN?") << "9.9E37";
        QTest::newRow("mode sweep") << QByteArray("FREQ:MODE SWE;MODE?") << "SWE";
        QTest::newRow("mode long form") << QByteArray("FREQ:MODE sweep;MODE?") << "SWE";
        QTest::newRow("mode fixed is CW") << QByteArray("FREQ:MODE SWE;MODE FIX;MODE?") << "CW";
        QTest::newRow("output on by number") << QByteArray("OUTP 1;OUTP?") << "1";
        QTest::newRow("output off by word") << QByteArray("OUTP ON;OUTP OFF;OUTP?") << "0";
    }
    void settingsReadBack()
    {
        QFETCH(QByteArray, message);
        QFETCH(QString, response);
        CScpiSession session;
        QCOMPARE(session.Run(message).strResponse, response);
        QCOMPARE(session.TakeErrorCodes(), QList<int>());
    }

    // A refused value queues its error and leaves the setting as it was.
    void refusedValues_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("query");
        QTest::addColumn<int>("error");
        QTest::newRow("frequency below 10 MHz") << QByteArray("FREQ 9.999999 MHZ") << QByteArray("FREQ?") << -222;
        QTest::newRow("frequency above 400 MHz") << QByteArray("FREQ 400.000001 MHZ") << QByteArray("FREQ?") << -222;
        QTest::newRow("negative frequency") << QByteArray("FREQ -1e8") << QByteArray("FREQ?") << -222;
        QTest::newRow("amplitude above 4 V") << QByteArray("VOLT 4.0001") << QByteArray("VOLT?") << -222;
        QTest::newRow("negative amplitude") << QByteArray("VOLT -100 mV") << QByteArray("VOLT?") << -222;
        QTest::newRow("start below 10 MHz") << QByteArray("FREQ:STAR 9 MHZ") << QByteArray("FREQ:STAR?") << -222;
        QTest::newRow("stop above 400 MHz") << QByteArray("FREQ:STOP 401 MHZ") << QByteArray("FREQ:STOP?") << -222;
        QTest::newRow("start with a fraction") << QByteArray("FREQ:STAR 10.5 MHZ") << QByteArray("FREQ:STAR?")
                                               << -224;
        QTest::newRow("step between rows") << QByteArray("SWE:STEP 500 kHz") << QByteArray("SWE:STEP?") << -224;
        QTest::newRow("step just beyond 2 %") << QByteArray("SWE:STEP 956 kHz") << QByteArray("SWE:STEP?") << -224;
        QTest::newRow("step below the table") << QByteArray("SWE:STEP 10 kHz") << QByteArray("SWE:STEP?") << -222;
        QTest::newRow("step above the table") << QByteArray("SWE:STEP 200 MHz") << QByteArray("SWE:STEP?") << -222;
        QTest::newRow("dwell between counts") << QByteArray("SWE:DWEL 30 ns") << QByteArray("SWE:DWEL?") << -224;
        QTest::newRow("dwell 0.2 ns off a count") << QByteArray("SWE:DWEL 100.2 ns") << QByteArray("SWE:DWEL?")
                                                  << -224;
        QTest::newRow("dwell below one count") << QByteArray("SWE:DWEL 5 ns") << QByteArray("SWE:DWEL?") << -222;
        QTest::newRow("dwell of a second") << QByteArray("SWE:DWEL 1 s") << QByteArray("SWE:DWEL?") << -222;
        QTest::newRow("negative dwell") << QByteArray("SWE:DWEL -20 ns") << QByteArray("SWE:DWEL?") << -222;
        QTest::newRow("one log point") << QByteArray("SWE:POIN 1") << QByteArray("SWE:POIN?") << -222;
        QTest::newRow("stepped dwell below the line's") << QByteArray("SWE:DWEL 20 ms")
                                                        << QByteArray("SWE:SPAC LOG;DWEL?") << -222;
        QTest::newRow("list keeps its old values") << QByteArray("LIST:FREQ 20 MHZ,401 MHZ")
                                                   << QByteArray("LIST:FREQ 10 MHZ;FREQ?") << -222;
        QTest::newRow("list dwell above an hour") << QByteArray("LIST:DWEL 1,3601") << QByteArray("LIST:DWEL?") << -222;
    }
    void refusedValues()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, query);
        QFETCH(int, error);
        CScpiSession session;
        const QString strBefore = session.Run(query).strResponse;
        const MessageResult result = session.Run(command);
        QCOMPARE(result.frames, QStringList());
        QCOMPARE(session.TakeErrorCodes(), QList<int>{error});
        QCOMPARE(session.Run(query).strResponse, strBefore);
    }

    void acceptedEdgeValues_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("frequency 10 MHz") << QByteArray("FREQ 10 MHZ");
        QTest::newRow("frequency 400 MHz") << QByteArray("FREQ 400 MHZ");
        QTest::newRow("amplitude 4 V") << QByteArray("VOLT 4");
        QTest::newRow("amplitude 0 V") << QByteArray("VOLT 0");
        QTest::newRow("step within 2 % below a label") << QByteArray("SWE:STEP 956.5 kHz");
        QTest::newRow("step within 2 % above an exact value") << QByteArray("SWE:STEP 996000");
        QTest::newRow("dwell 0.1 ns off a count") << QByteArray("SWE:DWEL 100.1 ns");
        QTest::newRow("dwell just short of one count") << QByteArray("SWE:DWEL 19.95 ns");
        QTest::newRow("longest dwell") << QByteArray("SWE:DWEL 0.99999998 s");
        QTest::newRow("start 400 MHz") << QByteArray("FREQ:STAR 400e6");
    }
    void acceptedEdgeValues()
    {
        QFETCH(QByteArray, command);
        CScpiSession session;
        session.Run(command);
        QCOMPARE(session.TakeErrorCodes(), QList<int>());
    }
};

QTEST_APPLESS_MAIN(TestScpiParser)
#include "test_scpi_parser.moc"
