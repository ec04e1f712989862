// The virtual board behind an FTDI-style USB-serial adapter: the adapter's
// hold on its own, packet by packet, then the board's output as a host reads
// it, and the program's option.

#include "board/adapter_hold.h"
#include "board/virtual_board.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

#include <fcntl.h>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 10000;
constexpr qint64 kNsPerMs = 1000000;
// Ten bits a byte at 9600 baud.
constexpr qint64 kLineNsPerByte = 10 * 1000000000LL / 9600;
// Longer than any test runs: what it holds back never comes by the timer.
constexpr int kForeverMs = 3600 * 1000;

const QByteArray g_singlePoint = QByteArray::fromHex("A55A5AA50001199999990FD75AA5A55A8CE9");
const QByteArray g_badClose = QByteArray::fromHex("A55A5AA50040805AA5A55AC58F");
const QByteArray g_sweep = QByteArray::fromHex("A55A5AA50003028F5C28666666660FFF0000000005005AA5A55A5F36");
const QByteArray g_ok = QByteArray::fromHex("4F4B");
const QByteArray g_error = QByteArray::fromHex("4552");

QElapsedTimer g_clock;

QByteArray Burst(qsizetype nBytes)
{
    QByteArray bytes(nBytes, Qt::Uninitialized);
    for (qsizetype i = 0; i < nBytes; ++i)
        bytes[i] = static_cast<char>(i * 7);
    return bytes;
}

struct Piece {
    QByteArray bytes;
    qint64 nAtNs = 0;
};

QList<int> Sizes(const QList<Piece>& pieces)
{
    QList<int> sizes;
    for (const Piece& piece : pieces)
        sizes << static_cast<int>(piece.bytes.size());
    return sizes;
}

QByteArray Joined(const QList<Piece>& pieces)
{
    QByteArray bytes;
    for (const Piece& piece : pieces)
        bytes += piece.bytes;
    return bytes;
}

// A packet socket pair: unlike a pseudo-terminal it keeps every write apart,
// so that the adapter's packets are seen as it wrote them.
class CPacketLine {
public:
    CPacketLine()
    {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) == 0) {
            m_nWriteFd = fds[0];
            m_nReadFd = fds[1];
        }
    }
    CPacketLine(const CPacketLine&) = delete;
    CPacketLine& operator=(const CPacketLine&) = delete;
    ~CPacketLine()
    {
        ::close(m_nWriteFd);
        ::close(m_nReadFd);
    }

    int WriteFd() const { return m_nWriteFd; }

    // Every packet so far, each stamped when this read it.
    QList<Piece> Packets()
    {
        char buffer[512];
        ssize_t nRead = 0;
        while ((nRead = ::recv(m_nReadFd, buffer, sizeof buffer, 0)) > 0)
            m_packets.append({QByteArray(buffer, nRead), g_clock.nsecsElapsed()});
        return m_packets;
    }

private:
    int m_nWriteFd = -1;
    int m_nReadFd = -1;
    QList<Piece> m_packets;
};

} // namespace

class TestBoardAdapter : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CVirtualBoard> m_pBoard;
    std::unique_ptr<QSerialPort> m_pHost;
    // Each read of the host's, as it came.
    QList<Piece> m_reads;

    bool OpenHost(const QString& strPort)
    {
        m_pHost = std::make_unique<QSerialPort>(strPort);
        connect(m_pHost.get(), &QSerialPort::readyRead, this,
                [this] { m_reads.append({m_pHost->readAll(), g_clock.nsecsElapsed()}); });
        return m_pHost->open(QIODevice::ReadWrite);
    }

private Q_SLOTS:
    void initTestCase() { g_clock.start(); }

    void init()
    {
        m_reads.clear();
        m_pBoard = std::make_unique<CVirtualBoard>();
        // A sweep that lasts, one step a report.
        m_pBoard->SetStepsPerReport(1);
        QVERIFY2(m_pBoard->Open(), qPrintable(m_pBoard->ErrorText()));
        QVERIFY2(OpenHost(m_pBoard->PortName()), qPrintable(m_pHost->errorString()));
    }

    void cleanup()
    {
        m_pHost.reset();
        m_pBoard.reset();
    }

    void holdMakesPackets_data()
    {
        QTest::addColumn<int>("latencyMs");
        QTest::addColumn<QList<int>>("taken");
        QTest::addColumn<QList<int>>("atOnce");
        QTest::addColumn<QList<int>>("afterLatency");
        QTest::newRow("reply, 16 ms") << 16 << QList<int>{2} << QList<int>{} << QList<int>{2};
        QTest::newRow("reply, 5 ms") << 5 << QList<int>{2} << QList<int>{} << QList<int>{2};
        QTest::newRow("reply, 30 ms") << 30 << QList<int>{2} << QList<int>{} << QList<int>{2};
        QTest::newRow("reply and report together") << 16 << QList<int>{2, 4} << QList<int>{} << QList<int>{6};
        QTest::newRow("one short of a packet") << 16 << QList<int>{61} << QList<int>{} << QList<int>{61};
        QTest::newRow("a packet exactly") << 16 << QList<int>{62} << QList<int>{62} << QList<int>{};
        QTest::newRow("a burst") << 16 << QList<int>{150} << QList<int>{62, 62} << QList<int>{26};
        QTest::newRow("a burst, 30 ms") << 30 << QList<int>{150} << QList<int>{62, 62} << QList<int>{26};
        QTest::newRow("pieces filling a packet") << 16 << QList<int>{40, 40} << QList<int>{62} << QList<int>{18};
    }
    void holdMakesPackets()
    {
        QFETCH(int, latencyMs);
        QFETCH(QList<int>, taken);
        QFETCH(QList<int>, atOnce);
        QFETCH(QList<int>, afterLatency);
        CPacketLine line;
        CAdapterHold hold;
        hold.SetLine(FdLineWrite(line.WriteFd()));
        hold.SetLatency(latencyMs);
        QVERIFY(hold.IsOn());
        QByteArray sent;
        for (const int nBytes : taken) {
            const QByteArray bytes = Burst(nBytes);
            QCOMPARE(hold.Take(bytes), nBytes);
            sent += bytes;
        }
        // Full packets go out within Take, before any timer could run.
        QCOMPARE(Sizes(line.Packets()), atOnce);
        QTRY_COMPARE_WITH_TIMEOUT(Sizes(line.Packets()), atOnce + afterLatency, kWaitMs);
        QCOMPARE(Joined(line.Packets()), sent);
    }

    // The latency timer runs on its own: bytes that come in across one of
    // its ticks reach the host apart, however short the latency.
    void bytesAcrossATickGoApart_data()
    {
        QTest::addColumn<int>("byteMs");
        QTest::addColumn<QList<int>>("packets");
        QTest::newRow("a reply in at once") << 0 << QList<int>{2};
        QTest::newRow("bytes five ticks apart") << 100 << QList<int>{1, 1};
    }
    void bytesAcrossATickGoApart()
    {
        QFETCH(int, byteMs);
        QFETCH(QList<int>, packets);
        CPacketLine line;
        CAdapterHold hold;
        hold.SetLine(FdLineWrite(line.WriteFd()));
        hold.SetByteTime(byteMs * kNsPerMs);
        hold.SetLatency(20);
        QCOMPARE(hold.Take(g_ok), 2);
        QVERIFY(hold.NsUntilTakenIn() <= 2 * byteMs * kNsPerMs);
        QTRY_COMPARE_WITH_TIMEOUT(Joined(line.Packets()), g_ok, kWaitMs);
        QCOMPARE(Sizes(line.Packets()), packets);
        QCOMPARE(hold.NsUntilTakenIn(), 0);
    }

    void holdTurnedOffHandsOnAtOnce()
    {
        CPacketLine line;
        CAdapterHold hold;
        hold.SetLine(FdLineWrite(line.WriteFd()));
        hold.SetLatency(kForeverMs);
        QCOMPARE(hold.Take(g_ok), 2);
        QCOMPARE(line.Packets().size(), 0);
        hold.SetLatency(0);
        QVERIFY(!hold.IsOn());
        QCOMPARE(Joined(line.Packets()), g_ok);
    }

    void holdWaitsWhenHostDoesNotRead()
    {
        int fds[2];
        QCOMPARE(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
        const auto closeBoth = qScopeGuard([&fds] {
            ::close(fds[0]);
            ::close(fds[1]);
        });
        ::fcntl(fds[1], F_SETPIPE_SZ, 4096);
        qint64 nFilled = 0;
        while (::write(fds[1], "x", 1) == 1)
            ++nFilled;
        CAdapterHold hold;
        hold.SetLine(FdLineWrite(fds[1]));
        hold.SetLatency(kForeverMs);
        // The chip's buffer takes 256 bytes, then nothing until the host reads.
        QCOMPARE(hold.Take(Burst(300)), 256);
        QCOMPARE(hold.Take(Burst(1)), 0);

        const auto readAll = [&fds] {
            QByteArray bytes;
            char buffer[4096];
            ssize_t nRead = 0;
            while ((nRead = ::read(fds[0], buffer, sizeof buffer)) > 0)
                bytes.append(buffer, nRead);
            return bytes;
        };
        QCOMPARE(readAll(), QByteArray(nFilled, 'x'));
        QByteArray delivered;
        QTRY_COMPARE_WITH_TIMEOUT(delivered += readAll(), Burst(248), kWaitMs);
        // Four full packets went; the rest of a packet waits for the latency.
        QCOMPARE(hold.Take(Burst(1)), 1);
    }

    // A reply's two bytes come in about a millisecond apart, so one may fall
    // either side of a tick: whole, or in two pieces.
    void replyHeldByTheAdapter_data()
    {
        QTest::addColumn<int>("latencyMs");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("5 ms") << 5 << g_singlePoint << g_ok;
        QTest::newRow("16 ms") << 16 << g_singlePoint << g_ok;
        QTest::newRow("30 ms, bad frame") << 30 << g_badClose << g_error;
    }
    void replyHeldByTheAdapter()
    {
        QFETCH(int, latencyMs);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, reply);
        m_pBoard->SetAdapterLatency(latencyMs);
        m_pHost->write(sent);
        QTRY_COMPARE_WITH_TIMEOUT(Joined(m_reads), reply, kWaitMs);
        QVERIFY(m_reads.size() <= 2);
    }

    void splitReplyIsHeldPieceByPiece()
    {
        m_pBoard->SetAdapterLatency(5);
        m_pBoard->SplitNextReply(400);
        qint64 nFrameNs = -1;
        // The reply goes out after this, in the same turn of the event loop.
        connect(m_pBoard.get(), &CVirtualBoard::FrameReceived, this,
                [&nFrameNs] { nFrameNs = g_clock.nsecsElapsed(); });
        m_pHost->write(g_singlePoint);
        QTRY_COMPARE_WITH_TIMEOUT(Joined(m_reads), g_ok, kWaitMs);
        QCOMPARE(m_reads.size(), 2);
        QVERIFY(nFrameNs >= 0);
        QVERIFY(m_reads.last().nAtNs - nFrameNs >= 400 * kNsPerMs);
    }

    void burstNeedsNoLatency()
    {
        m_pBoard->SetAdapterLatency(kForeverMs);
        const QByteArray burst = Burst(150);
        m_pBoard->SendRaw(burst);
        QTRY_COMPARE_WITH_TIMEOUT(Joined(m_reads), burst.left(124), kWaitMs);
        // The last 26 bytes make no packet and wait for the latency.
        QTest::qWait(300);
        QCOMPARE(Joined(m_reads), burst.left(124));
    }

    void burstRestAfterLatency_data()
    {
        QTest::addColumn<int>("latencyMs");
        QTest::newRow("5 ms") << 5;
        QTest::newRow("16 ms") << 16;
        QTest::newRow("30 ms") << 30;
    }
    void burstRestAfterLatency()
    {
        QFETCH(int, latencyMs);
        m_pBoard->SetAdapterLatency(latencyMs);
        const QByteArray burst = Burst(150);
        const qint64 nSentNs = g_clock.nsecsElapsed();
        m_pBoard->SendRaw(burst);
        QTRY_COMPARE_WITH_TIMEOUT(Joined(m_reads), burst, kWaitMs);
        // The last bytes are in off the line only after its time at 9600 baud.
        QVERIFY(m_reads.last().nAtNs - nSentNs >= 150 * kLineNsPerByte);
    }

    void reportsKeepTheirOrder()
    {
        m_pBoard->SetAdapterLatency(16);
        m_pBoard->SetReportInterval(5);
        QSignalSpy reports(m_pBoard.get(), &CVirtualBoard::ReportSent);
        m_pHost->write(g_sweep);
        QTRY_VERIFY_WITH_TIMEOUT(reports.size() >= 20, kWaitMs);
        const qsizetype nWanted = g_ok.size() + 4 * 20;
        QTRY_VERIFY_WITH_TIMEOUT(Joined(m_reads).size() >= nWanted, kWaitMs);
        const QByteArray received = Joined(m_reads);
        QCOMPARE(received.left(2), g_ok);
        for (qsizetype i = 0; i < 20; ++i)
            QCOMPARE(qFromBigEndian<quint32>(received.constData() + 2 + 4 * i), reports[i][0].value<quint32>());
    }

    void offIsAsBefore_data()
    {
        QTest::addColumn<QList<int>>("latenciesMs");
        QTest::newRow("never set") << QList<int>{};
        QTest::newRow("0") << QList<int>{0};
        QTest::newRow("negative") << QList<int>{-16};
        QTest::newRow("on, then off") << QList<int>{kForeverMs, 0};
    }
    void offIsAsBefore()
    {
        QFETCH(QList<int>, latenciesMs);
        for (const int nMsecs : latenciesMs)
            m_pBoard->SetAdapterLatency(nMsecs);
        // With the adapter on for good, 26 bytes would stay held.
        const QByteArray burst = Burst(150);
        m_pBoard->SendRaw(burst);
        m_pHost->write(g_singlePoint);
        QTRY_COMPARE_WITH_TIMEOUT(Joined(m_reads), burst + g_ok, kWaitMs);
    }

    void programOption_data()
    {
        QTest::addColumn<QString>("latency");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("30 ms") << QStringLiteral("30") << 0;
        QTest::newRow("off") << QStringLiteral("0") << 0;
        QTest::newRow("negative") << QStringLiteral("-1") << 2;
        QTest::newRow("not a number") << QStringLiteral("16ms") << 2;
    }
    void programOption()
    {
        QFETCH(QString, latency);
        QFETCH(int, exitCode);
        QProcess board;
        board.start(QStringLiteral(VEVEVAR_BOARD_PATH), {QStringLiteral("--adapter-latency"), latency});
        if (exitCode != 0) {
            QVERIFY(board.waitForFinished(kWaitMs));
            QCOMPARE(board.exitStatus(), QProcess::NormalExit);
            QCOMPARE(board.exitCode(), exitCode);
            QVERIFY(board.readAllStandardError().contains("--adapter-latency"));
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(board.canReadLine(), kWaitMs);
        const QString strLine = QString::fromLocal8Bit(board.readLine()).trimmed();
        QVERIFY2(strLine.startsWith(QStringLiteral("pty ")), qPrintable(strLine));
        m_pHost.reset();
        m_reads.clear();
        QVERIFY(OpenHost(strLine.mid(4)));
        m_pHost->write(g_singlePoint);
        QTRY_COMPARE_WITH_TIMEOUT(Joined(m_reads), g_ok, kWaitMs);
        board.terminate();
        QVERIFY(board.waitForFinished(kWaitMs));
        QCOMPARE(board.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestBoardAdapter)
#include "test_board_adapter.moc"
