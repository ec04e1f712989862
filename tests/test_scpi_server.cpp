// The SCPI server as a process on the virtual board, driven over real
// sockets: what reaches the board, what clients hear, and what hostile
// clients cannot do.
#include "support/cli_test.h"
#include "support/golden_frames.h"
#include "support/raw_pty.h"
#include "support/server_process.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QTest>

#include <cmath>
#include <memory>
#include <vector>

#include <sys/socket.h>

namespace {

qint64 ResidentKilobytes(qint64 nPid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(nPid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

QString WithoutCountAndCrc(const QString& strFrame)
{
    return strFrame.left(8) + strFrame.mid(10, strFrame.size() - 14);
}

const QString kIdentity = QStringLiteral("Vevevar,Azevora,0," VEVEVAR_VERSION);
const QString kNoError = QStringLiteral("0,\"No error\"");

} // namespace

class TestScpiServer : public CliTest {
    Q_OBJECT

private Q_SLOTS:
    void refusesWhereItCannotListen_data()
    {
        QTest::addColumn<QString>("listen");
        QTest::addColumn<QString>("message");
        QTest::newRow("no port") << "127.0.0.1" << "--listen needs HOST:PORT";
        QTest::newRow("host name") << "example.org:5025" << "--listen needs HOST:PORT";
        QTest::newRow("port too high") << "127.0.0.1:65536" << "--listen needs HOST:PORT";
        QTest::newRow("address of no interface here") << "192.0.2.1:5025" << "Cannot listen on 192.0.2.1:5025";
    }
    void refusesWhereItCannotListen()
    {
        QFETCH(QString, listen);
        QFETCH(QString, message);
        CliRun run;
        Run({QStringLiteral("--simulate"), QStringLiteral("serve"), QStringLiteral("--listen"), listen}, run);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(run.nExitCode, 2);
        QVERIFY2(run.strErr.contains(message), qPrintable(run.strErr));
        QVERIFY(!run.strOut.contains(QLatin1String("listening on")));
    }

    void identifiesItself()
    {
        ServerProcess server;
        QVERIFY(server.Port() != 0);
        auto pClient = Connected(server.Port());
        QCOMPARE(Query(*pClient, "*IDN?"), kIdentity);
        QCOMPARE(Query(*pClient, "*idn?\r"), kIdentity);
        // A lone carriage return ends a message too.
        QCOMPARE(Query(*pClient, "*IDN?\r*IDN?\r\n*IDN?;"), kIdentity);
        QCOMPARE(Answer(*pClient), kIdentity);
        QCOMPARE(Answer(*pClient), kIdentity);
        QCOMPARE(Query(*pClient, "SYST:ERR:COUN?"), QStringLiteral("0"));
        pClient->disconnectFromHost();
        QTRY_VERIFY_WITH_TIMEOUT(server.Out().contains(QLatin1String("client 1 left\n")), kProcessMsecs);
        QCOMPARE(server.Terminate(), 0);
        QVERIFY(server.Out().startsWith(QLatin1String("listening on 127.0.0.1:")));
        QVERIFY(server.Out().contains(QLatin1String("client 1 connected from 127.0.0.1:")));
        QVERIFY(server.Out().endsWith(QLatin1String("done\n")));
    }

    // The far end goes away between two commands, as an unplugged adapter does.
    void portThatFailsIsAHardwareError()
    {
        RawPty pty;
        QVERIFY(pty.IsOpen());
        ServerProcess server({}, pty.SlavePath());
        auto pClient = Connected(server.Port());
        pClient->write("VOLT 1;:OUTP ON\n");
        QByteArray written;
        QTRY_VERIFY_WITH_TIMEOUT(!(written += pty.ReadAvailable()).isEmpty(), kProcessMsecs);
        pty.Write(QByteArray::fromHex("4F4B"));
        QCOMPARE(Query(*pClient, "SYST:ERR?"), kNoError);
        pty.Close();
        QTRY_VERIFY_WITH_TIMEOUT(server.Out().contains(QLatin1String("port failure")), kProcessMsecs);
        QCOMPARE(Query(*pClient, "VOLT 2;:SYST:ERR?"), QStringLiteral("-241,\"Hardware missing\""));
        QCOMPARE(Query(*pClient, "*IDN?"), kIdentity);
    }

    void boardReceivesTheFrame_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("frame");
        QTest::newRow("amplitude, then output on") << QByteArray("VOLT 1;:OUTP ON") << "point" << kPoint1V100MhzFrame;
        QTest::newRow("frequency, then output on")
            << QByteArray("SOUR:VOLT 4;FREQ 400 MHZ;:OUTP1 ON") << "point" << kPoint4V400MhzFrame;
        QTest::newRow("output off") << QByteArray("OUTP OFF") << "close" << kCloseFrame;
        QTest::newRow("reset") << QByteArray("*RST") << "close" << kCloseFrame;
        QTest::newRow("sweep")
            << QByteArray("FREQ:MODE SWE;STAR 100 MHZ;STOP 300 MHZ;:SWE:STEP 1953 kHz;DWEL 100 ns;:VOLT 1;:INIT")
            << "sweep" << kSweep100To300MhzBy1953kFrame;
        QTest::newRow("pause") << QByteArray("SWE:PAUS") << "pause" << kPauseFrame;
        QTest::newRow("continue") << QByteArray("SWE:RES") << "continue" << kContinueFrame;
    }
    void boardReceivesTheFrame()
    {
        QFETCH(QByteArray, message);
        QFETCH(QString, kind);
        QFETCH(QString, frame);
        ServerProcess server;
        auto pClient = Connected(server.Port());
        pClient->write(message + '\n');
        QCOMPARE(Query(*pClient, "SYST:ERR?"), kNoError);
        QTRY_COMPARE_WITH_TIMEOUT(server.BoardFrames().value(0).isEmpty(), false, kProcessMsecs);
        QCOMPARE(server.BoardFrames().last(), frame);
        QTRY_VERIFY_WITH_TIMEOUT(
            server.Out().contains(QStringLiteral("client 1 %1 %2 resends 0 acknowledged\n").arg(kind, frame)),
            kProcessMsecs);
    }

    void silentBoardIsAHardwareError_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<int>("frames");
        QTest::newRow("point: counts 00 to 06") << QByteArray("OUTP ON") << 7;
        QTest::newRow("pause: silence counts as refusal") << QByteArray("SWE:PAUS") << 10;
    }
    void silentBoardIsAHardwareError()
    {
        QFETCH(QByteArray, message);
        QFETCH(int, frames);
        ServerProcess server({QStringLiteral("--simulate-fault"), QStringLiteral("silent")});
        auto pClient = Connected(server.Port());
        pClient->write(message + '\n');
        QCOMPARE(Query(*pClient, "SYST:ERR?"), QStringLiteral("-240,\"Hardware error;board did not acknowledge\""));
        QCOMPARE(Query(*pClient, "SYST:ERR?"), kNoError);
        QTRY_COMPARE_WITH_TIMEOUT(server.BoardFrames().size(), frames, kProcessMsecs);
        QTRY_VERIFY_WITH_TIMEOUT(server.Out().contains(QStringLiteral(" resends %1 not acknowledged\n").arg(frames - 1)),
                                 kProcessMsecs);
    }

    void clientsRunOneMessageAtATime()
    {
        constexpr int kClients = 10;
        constexpr int kMessages = 2;
        ServerProcess server;
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        for (int i = 0; i < kClients; ++i)
            clients.push_back(Connected(server.Port()));
        QCOMPARE(Query(*clients[0], "OUTP ON;*OPC?"), QStringLiteral("1"));
        // Every client's messages at once: each sets a frequency of its own
        // and reads it back in the same message, so another client's setting
        // in between would show.
        for (int i = 0; i < kClients; ++i) {
            for (int k = 0; k < kMessages; ++k)
                clients[i]->write(QStringLiteral("FREQ %1 MHZ;FREQ?\n").arg(10 + 10 * i + k).toLatin1());
        }
        for (int i = 0; i < kClients; ++i) {
            for (int k = 0; k < kMessages; ++k)
                QCOMPARE(Answer(*clients[i]).toDouble(), (10 + 10 * i + k) * 1e6);
        }
        QTRY_COMPARE_WITH_TIMEOUT(server.BoardFrames().size(), 1 + kClients * kMessages, kProcessMsecs);
        for (const QString& strFrame : server.BoardFrames())
            QCOMPARE(strFrame.size(), kPoint0V10MhzFrame.size());
        QTRY_COMPARE_WITH_TIMEOUT(server.Out().count(QLatin1String(" acknowledged\n")), 1 + kClients * kMessages,
                                  kProcessMsecs);
    }

    // A waits for a sweep of 11 steps of 0.3 s; B's frame ends it, and C is
    // served meanwhile. On a busy machine too: the sweep runs 3.3 s.
    void sweepWaitHoldsOnlyItsClient_data()
    {
        QTest::addColumn<QByteArray>("message");
        // Empty: the sweep's own frame again.
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("sweeping");
        QTest::newRow("output off") << QByteArray("OUTP OFF") << kCloseFrame << "0";
        QTest::newRow("abort") << QByteArray("ABOR") << kPauseFrame << "0";
        QTest::newRow("reset") << QByteArray("*RST") << kCloseFrame << "0";
        QTest::newRow("point") << QByteArray("FREQ:MODE CW;:INIT") << kPoint1V100MhzFrame << "0";
        QTest::newRow("new sweep") << QByteArray("INIT") << QString() << "8";
    }
    void sweepWaitHoldsOnlyItsClient()
    {
        QFETCH(QByteArray, message);
        QFETCH(QString, frame);
        QFETCH(QString, sweeping);
        ServerProcess server;
        auto pWaiting = Connected(server.Port());
        auto pOther = Connected(server.Port());
        auto pBystander = Connected(server.Port());
        QCOMPARE(Query(*pWaiting, "VOLT 1;:FREQ 100 MHZ;:FREQ:MODE SWE;STAR 100 MHZ;STOP 271 MHZ;"
                                  ":SWE:STEP 15.625 MHZ;DWEL 0.3 s;*OPC?"),
                 QStringLiteral("1"));
        pWaiting->write("INIT;*OPC?;:STAT:OPER:COND?\n");
        QTRY_COMPARE_WITH_TIMEOUT(server.BoardFrames().size(), 1, kProcessMsecs);
        QTest::qWait(400);
        QVERIFY(!pWaiting->canReadLine());
        QElapsedTimer clock;
        clock.start();
        pOther->write(message + '\n');
        QCOMPARE(Query(*pBystander, "*IDN?"), kIdentity);
        const qint64 nIdentityMsecs = clock.elapsed();
        QVERIFY(WaitUntil([&] { return server.BoardFrames().size() > 1; }));
        const qint64 nFrameMsecs = clock.elapsed();
        QCOMPARE(Answer(*pWaiting), QStringLiteral("1;") + sweeping);
        const qint64 nAnswerMsecs = clock.elapsed();
        const QString strTimes = QStringLiteral("identity %1 ms, frame %2 ms, answer %3 ms")
                                     .arg(nIdentityMsecs).arg(nFrameMsecs).arg(nAnswerMsecs);
        QVERIFY2(nIdentityMsecs < 300 && nFrameMsecs < 500 && nAnswerMsecs - nFrameMsecs < 1500, qPrintable(strTimes));
        const QStringList frames = server.BoardFrames();
        QCOMPARE(WithoutCountAndCrc(frames.at(1)), WithoutCountAndCrc(frame.isEmpty() ? frames.at(0) : frame));
        QCOMPARE(Query(*pOther, "SYST:ERR?"), kNoError);
    }

    // 31 points from 10 to 400 MHz, each 50 ms: every frame a constant ratio
    // above the last, and the wait over only after the last point's dwell.
    void logSweepIsSteppedInOrder()
    {
        ServerProcess server;
        auto pClient = Connected(server.Port());
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(Query(*pClient, "VOLT 1;:FREQ:STAR 10 MHZ;STOP 400 MHZ;:SWE:SPAC LOG;POIN 31;DWEL 0.05;"
                                 ":FREQ:MODE SWE;:INIT;*OPC?"),
                 QStringLiteral("1"));
        QVERIFY2(clock.elapsed() >= 1500, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(Query(*pClient, "SYST:ERR?"), kNoError);
        QTRY_COMPARE_WITH_TIMEOUT(server.BoardFrames().size(), 31, kProcessMsecs);
        const QStringList frames = server.BoardFrames();
        QCOMPARE(frames.first().mid(12, 8), QStringLiteral("028F5C28"));
        QCOMPARE(frames.last().mid(12, 8), QStringLiteral("66666666"));
        for (int k = 1; k < frames.size(); ++k) {
            const double dRatio = frames.at(k).mid(12, 8).toUInt(nullptr, 16) /
                                  double(frames.at(k - 1).mid(12, 8).toUInt(nullptr, 16));
            QVERIFY2(qAbs(dRatio - std::pow(40.0, 1.0 / 30)) < 1e-3, qPrintable(frames.at(k)));
        }
        QVERIFY(server.Out().indexOf(QLatin1String("stepped sweep completed")) >
                server.Out().indexOf(QLatin1String("66666666")));
    }

    // Four points at 1.5 V, 0.4 s each: another client is served during the
    // run and sees it sweeping; its ABOR ends the run and the wait at once.
    void listSweepServesOthers_data()
    {
        QTest::addColumn<bool>("abort");
        QTest::newRow("to its end") << false;
        QTest::newRow("aborted") << true;
    }
    void listSweepServesOthers()
    {
        QFETCH(bool, abort);
        ServerProcess server;
        auto pRunner = Connected(server.Port());
        auto pOther = Connected(server.Port());
        pRunner->write("FREQ:MODE LIST;:LIST:FREQ 10 MHZ,100 MHZ,250 MHZ,400 MHZ;VOLT 1.5;DWEL 0.4;:INIT;*OPC?\n");
        QTRY_COMPARE_WITH_TIMEOUT(server.BoardFrames().size(), 2, kProcessMsecs);
        QCOMPARE(Query(*pOther, "*IDN?;:STAT:OPER:COND?"), kIdentity + QStringLiteral(";8"));
        QVERIFY(!pRunner->canReadLine());
        if (abort) {
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(Query(*pOther, "ABOR;:STAT:OPER:COND?"), QStringLiteral("0"));
            QCOMPARE(Answer(*pRunner), QStringLiteral("1"));
            QVERIFY2(clock.elapsed() < 300, qPrintable(QString::number(clock.elapsed())));
            QTest::qWait(100);
            const qsizetype nFrames = server.BoardFrames().size();
            QTest::qWait(1000);
            QVERIFY(nFrames < 4);
            QCOMPARE(server.BoardFrames().size(), nFrames);
            return;
        }
        QCOMPARE(Answer(*pRunner), QStringLiteral("1"));
        QStringList frames;
        for (const QString& strFrame : server.BoardFrames())
            frames.append(WithoutCountAndCrc(strFrame));
        QCOMPARE(frames, (QStringList{"A55A5AA501028F5C2817C25AA5A55A", "A55A5AA5011999999917C25AA5A55A",
                                      "A55A5AA5014000000017C25AA5A55A", "A55A5AA5016666666617C25AA5A55A"}));
    }

    void lockGoesWithItsClient()
    {
        ServerProcess server;
        auto pOwner = Connected(server.Port());
        auto pOther = Connected(server.Port());
        QCOMPARE(Query(*pOwner, "SYST:LOCK:REQ?;OWN?"), QStringLiteral("1;LOCAL"));
        QCOMPARE(Query(*pOther, "OUTP ON;:SYST:ERR?;:SYST:LOCK:OWN?"),
                 QStringLiteral("-203,\"Command protected\";REMOTE"));
        pOwner->disconnectFromHost();
        QTRY_VERIFY_WITH_TIMEOUT(server.Out().contains(QLatin1String("client 1 left\n")), kProcessMsecs);
        QCOMPARE(Query(*pOther, "SYST:LOCK:OWN?;:OUTP ON;:SYST:ERR?"), QStringLiteral("NONE;") + kNoError);
        QCOMPARE(server.BoardFrames().size(), 1);
        QVERIFY(server.BoardFrames().first().startsWith(QLatin1String("A55A5AA500011999999900005AA5A55A")));
    }

    void tooLongLineIsThrownAway_data()
    {
        QTest::addColumn<int>("pieces");
        QTest::newRow("in one write") << 1;
        QTest::newRow("in many writes") << 50;
    }
    void tooLongLineIsThrownAway()
    {
        QFETCH(int, pieces);
        ServerProcess server;
        auto pClient = Connected(server.Port());
        const QByteArray line = "VOLT 1;" + QByteArray(5000, ' ') + "VOLT 2\n";
        const qsizetype nPiece = line.size() / pieces + 1;
        for (qsizetype nAt = 0; nAt < line.size(); nAt += nPiece) {
            pClient->write(line.mid(nAt, nPiece));
            QVERIFY(pClient->waitForBytesWritten(kProcessMsecs));
        }
        QCOMPARE(Query(*pClient, "*IDN?"), kIdentity);
        QCOMPARE(Query(*pClient, "SYST:ERR?"), QStringLiteral("-223,\"Too much data\""));
        QCOMPARE(Query(*pClient, "SYST:ERR?"), kNoError);
        QCOMPARE(server.BoardFrames(), QStringList());
    }

    void endlessLineKeepsMemoryBounded()
    {
#ifdef __SANITIZE_ADDRESS__
        QSKIP("AddressSanitizer keeps freed memory in quarantine: resident memory says nothing here.");
#endif
        constexpr qint64 kLineBytes = 64 << 20;
        ServerProcess server;
        auto pClient = Connected(server.Port());
        QCOMPARE(Query(*pClient, "*IDN?"), kIdentity);
        const qint64 nBefore = ResidentKilobytes(server.Pid());
        const QByteArray chunk(1 << 16, 'A');
        for (qint64 nSent = 0; nSent < kLineBytes; nSent += chunk.size()) {
            pClient->write(chunk);
            QVERIFY(pClient->waitForBytesWritten(kProcessMsecs));
        }
        QCOMPARE(Query(*pClient, "\n*IDN?"), kIdentity);
        const qint64 nAfter = ResidentKilobytes(server.Pid());
        QVERIFY(nBefore > 0);
        // A server that kept the line would hold all of it.
        QVERIFY2(nAfter - nBefore < kLineBytes / 1024 / 8, qPrintable(QStringLiteral("%1 kB, then %2 kB").arg(nBefore).arg(nAfter)));
        QCOMPARE(Query(*pClient, "SYST:ERR?"), QStringLiteral("-223,\"Too much data\""));
    }

    void binaryNoiseServesTheNextClient()
    {
        ServerProcess server;
        auto pNoisy = Connected(server.Port());
        QByteArray noise(1 << 16, '\0');
        QRandomGenerator generator(20261207);
        for (char& byte : noise)
            byte = static_cast<char>(generator.bounded(256));
        pNoisy->write(noise);
        QVERIFY(pNoisy->waitForBytesWritten(kProcessMsecs));
        QCOMPARE(Query(*pNoisy, "\n*IDN?"), kIdentity);
        auto pNext = Connected(server.Port());
        QCOMPARE(Query(*pNext, "*IDN?"), kIdentity);
        QCOMPARE(Query(*pNext, "SYST:ERR?"), kNoError);
    }

    void clientThatNeverReadsHoldsNobodyBack()
    {
        ServerProcess server;
        auto pDeaf = Connected(server.Port());
        pDeaf->setReadBufferSize(1024);
        QByteArray queries;
        for (int i = 0; i < 400000; ++i)
            queries += "*IDN?\n";
        pDeaf->write(queries);
        auto pNext = Connected(server.Port());
        QCOMPARE(Query(*pNext, "*IDN?"), kIdentity);
        QCOMPARE(Answer(*pDeaf), kIdentity);
    }

    void clientLeavingMidCommand_data()
    {
        QTest::addColumn<QStringList>("boardOptions");
        QTest::addColumn<int>("frames");
        QTest::newRow("answering board") << QStringList() << 1;
        QTest::newRow("silent board, resends go on")
            << QStringList{QStringLiteral("--simulate-fault"), QStringLiteral("silent")} << 7;
    }
    void clientLeavingMidCommand()
    {
        QFETCH(QStringList, boardOptions);
        QFETCH(int, frames);
        ServerProcess server(boardOptions);
        auto pLeaving = Connected(server.Port());
        pLeaving->write("VOLT 1;:OUTP ON\n");
        QVERIFY(pLeaving->waitForBytesWritten(kProcessMsecs));
        QTRY_VERIFY_WITH_TIMEOUT(!server.BoardFrames().isEmpty(), kProcessMsecs);
        pLeaving->abort();
        auto pNext = Connected(server.Port());
        QCOMPARE(Query(*pNext, "*IDN?"), kIdentity);
        // The exchange ran to its end, every frame whole.
        QTRY_COMPARE_WITH_TIMEOUT(server.BoardFrames().size(), frames, kProcessMsecs);
        const QStringList received = server.BoardFrames();
        QCOMPARE(received.first(), kPoint1V100MhzFrame);
        for (const QString& strFrame : received)
            QCOMPARE(WithoutCountAndCrc(strFrame), WithoutCountAndCrc(kPoint1V100MhzFrame));
        QTRY_VERIFY_WITH_TIMEOUT(server.Out().contains(QLatin1String("client 1 left\n")), kProcessMsecs);
    }

    void hundredConnectionsOpenedAndDropped()
    {
        ServerProcess server;
        std::vector<std::unique_ptr<QTcpSocket>> clients;
        for (int i = 0; i < 100; ++i) {
            clients.push_back(std::make_unique<QTcpSocket>());
            clients.back()->connectToHost(QStringLiteral("127.0.0.1"), server.Port());
        }
        QVERIFY(WaitUntil([&] {
            for (const auto& pClient : clients) {
                if (pClient->state() == QAbstractSocket::ConnectingState)
                    return false;
            }
            return true;
        }));
        for (std::size_t i = 0; i < clients.size(); ++i) {
            if (i % 2 == 0)
                clients[i]->abort();
            else
                clients[i]->disconnectFromHost();
        }
        // Past the most clients at once, the server turned the rest away.
        QTRY_COMPARE_WITH_TIMEOUT(server.Out().count(QLatin1String(" left\n")) +
                                      server.Out().count(QLatin1String("refused ")),
                                  100, kProcessMsecs);
        auto pNext = Connected(server.Port());
        QCOMPARE(Query(*pNext, "*IDN?"), kIdentity);
        QCOMPARE(server.Terminate(), 0);
    }

    // Far more connections than the clients allowed at once, each closed or
    // reset at once, faster than the server takes them, beside a client that
    // comes every 20 ms: a connection gone frees its place.
    void droppedConnectionsFreeTheirPlaces()
    {
        ServerProcess server;
        QElapsedTimer clock;
        clock.start();
        qint64 nNextVisit = 0;
        std::unique_ptr<QTcpSocket> pVisitor;
        for (int i = 0; i < 3000; ++i) {
            QTcpSocket dropped;
            dropped.connectToHost(QStringLiteral("127.0.0.1"), server.Port());
            QVERIFY(dropped.waitForConnected(kProcessMsecs));
            const linger reset{1, 0};
            if (i % 2 == 0)
                setsockopt(static_cast<int>(dropped.socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            dropped.abort();
            if (clock.elapsed() < nNextVisit)
                continue;
            nNextVisit = clock.elapsed() + 20;
            // Its answer is read on its next visit, as the others come meanwhile.
            if (pVisitor)
                QCOMPARE(Answer(*pVisitor), kIdentity);
            pVisitor = Connected(server.Port());
            pVisitor->write("*IDN?\n");
            QVERIFY(pVisitor->waitForBytesWritten(kProcessMsecs));
        }
        QCOMPARE(Answer(*pVisitor), kIdentity);
        pVisitor->disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(server.Out().count(QLatin1String(" left\n")),
                                  server.Out().count(QLatin1String(" connected from 127.0.0.1:")), kProcessMsecs);
        QVERIFY(!server.Out().contains(QLatin1String("refused")));
        QVERIFY(!server.Out().contains(QLatin1String("from :")));
    }
};

QTEST_GUILESS_MAIN(TestScpiServer)
#include "test_scpi_server.moc"
