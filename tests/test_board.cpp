#include "board/frame_splitter.h"
#include "board/virtual_board.h"
#include "encoding/words.h"
#include "protocol/frame.h"
#include "support/board_frames.h"
#include "support/sealed.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 10000;

QByteArray SweepFrame(float fStartMhz, float fEndMhz, int nStepCode, bool bCircular)
{
    return Hex(Sealed(ComposeFrame(0, "03",
                                   {{"start word", FrequencyToTuningWord(fStartMhz), 4},
                                    {"end word", FrequencyToTuningWord(fEndMhz), 4},
                                    {"amplitude word", 0x0FFF, 2},
                                    {"step code", nStepCode, 1},
                                    {"time interval", 5, 4},
                                    {"circular flag", bCircular ? 1 : 0, 1}})));
}

QByteArray WithLastByteFlipped(QByteArray frame)
{
    frame[frame.size() - 1] = static_cast<char>(frame[frame.size() - 1] ^ 0x01);
    return frame;
}

QStringList Described(const QList<SplitFrame>& frames)
{
    QStringList texts;
    for (const SplitFrame& frame : frames)
        texts << VerdictText(frame.verdict) + ' ' + QString::fromLatin1(frame.bytes.toHex().toUpper());
    return texts;
}

QString Described(const char* pszVerdict, const QByteArray& bytes)
{
    return QString::fromLatin1(pszVerdict) + ' ' + QString::fromLatin1(bytes.toHex().toUpper());
}

// The client's end of the line, opened with plain POSIX calls. Each read
// is kept as one chunk: messages the board wrote apart arrive apart.
class CLineClient {
public:
    CLineClient() = default;
    CLineClient(const CLineClient&) = delete;
    CLineClient& operator=(const CLineClient&) = delete;
    ~CLineClient() { Close(); }

    // bRaw false leaves the port as the board set it up.
    bool Open(const QString& strPath, bool bRaw = true)
    {
        Close();
        m_nFd = ::open(QFile::encodeName(strPath).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_nFd < 0)
            return false;
        if (bRaw && !MakeRaw())
            return false;
        m_pNotifier = std::make_unique<QSocketNotifier>(m_nFd, QSocketNotifier::Read);
        QObject::connect(m_pNotifier.get(), &QSocketNotifier::activated, m_pNotifier.get(), [this] { OnReadable(); });
        return true;
    }

    void Close()
    {
        m_pNotifier.reset();
        if (m_nFd >= 0)
            ::close(m_nFd);
        m_nFd = -1;
        m_chunks.clear();
        m_bHungUp = false;
    }

    bool Write(const QByteArray& bytes)
    {
        const bool bWritten = ::write(m_nFd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
        m_nWriteErrno = bWritten ? 0 : errno;
        return bWritten;
    }
    int WriteErrno() const { return m_nWriteErrno; }

    QList<QByteArray> Chunks() const { return m_chunks; }
    QByteArray Received() const { return m_chunks.join(); }
    bool HasHungUp() const { return m_bHungUp; }

private:
    bool MakeRaw()
    {
        termios settings{};
        if (::tcgetattr(m_nFd, &settings) != 0)
            return false;
        ::cfmakeraw(&settings);
        return ::tcsetattr(m_nFd, TCSANOW, &settings) == 0;
    }

    void OnReadable()
    {
        char buffer[256];
        const ssize_t nRead = ::read(m_nFd, buffer, sizeof buffer);
        if (nRead > 0) {
            m_chunks.append(QByteArray(buffer, nRead));
        } else if (nRead == 0 || errno == EIO) {
            m_bHungUp = true;
            m_pNotifier->setEnabled(false);
        }
    }

    int m_nFd = -1;
    int m_nWriteErrno = 0;
    std::unique_ptr<QSocketNotifier> m_pNotifier;
    QList<QByteArray> m_chunks;
    bool m_bHungUp = false;
};

} // namespace

class TestBoard : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_linkDir;
    std::unique_ptr<CVirtualBoard> m_pBoard;
    CLineClient m_client;

    QString LinkPath() const { return m_linkDir.filePath(QStringLiteral("ttyVB0")); }

    // Sends a frame and waits until the board has recorded one more.
    void SendAndAwait(const QByteArray& frame)
    {
        const qsizetype nBefore = m_pBoard->Frames().size();
        QVERIFY(m_client.Write(frame));
        QTRY_COMPARE_WITH_TIMEOUT(m_pBoard->Frames().size(), nBefore + 1, kWaitMs);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_linkDir.isValid()); }

    void init()
    {
        m_pBoard = std::make_unique<CVirtualBoard>();
        QVERIFY2(m_pBoard->Open(LinkPath()), qPrintable(m_pBoard->ErrorText()));
        QVERIFY(m_client.Open(m_pBoard->PortName()));
    }

    void cleanup()
    {
        m_client.Close();
        m_pBoard.reset();
    }

    void splitter_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QStringList>("frames");
        const QByteArray unknown = Hex(Sealed(ComposeFrame(0, "02", {{"word", 0x1234, 2}})));
        const QByteArray shortened = g_point1V100Mhz.left(10) + g_point1V100Mhz.mid(11);
        const QByteArray lengthened = g_close.left(7) + Hex("00") + g_close.mid(7);
        const QByteArray headerInside
            = Hex(Sealed(ComposeFrame(0, "01", {{"tuning word", 0xA55A5AA5, 4}, {"amplitude word", 0x0040, 2}})));
        QTest::newRow("single point") << g_point1V100Mhz << QStringList{Described("good", g_point1V100Mhz)};
        QTest::newRow("sweep") << g_sweep10To400Mhz << QStringList{Described("good", g_sweep10To400Mhz)};
        QTest::newRow("close") << g_close << QStringList{Described("good", g_close)};
        QTest::newRow("pause and continue")
            << g_pause + g_continue << QStringList{Described("good", g_pause), Described("good", g_continue)};
        QTest::newRow("noise before and between frames")
            << Hex("0011A55A") + g_close + Hex("FFA5") + g_point1V100MhzResent
            << QStringList{Described("good", g_close), Described("good", g_point1V100MhzResent)};
        QTest::newRow("bad CRC") << WithLastByteFlipped(g_close)
                                 << QStringList{Described("bad CRC", WithLastByteFlipped(g_close))};
        QTest::newRow("short frame, good one behind")
            << shortened + g_close
            << QStringList{Described("bad trailer", shortened + g_close.left(1)), Described("good", g_close)};
        QTest::newRow("long frame, good one behind")
            << lengthened + g_pause
            << QStringList{Described("bad trailer", lengthened.left(13)), Described("good", g_pause)};
        QTest::newRow("unknown command, good one behind")
            << unknown + g_close << QStringList{Described("unknown command", unknown.left(6)), Described("good", g_close)};
        QTest::newRow("header in a frame's payload") << headerInside << QStringList{Described("good", headerInside)};
        QTest::newRow("noise only") << Hex("00A55A5A00FF") << QStringList{};
    }
    void splitter()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QStringList, frames);
        CFrameSplitter whole;
        QCOMPARE(Described(whole.Feed(stream)), frames);
        QVERIFY(!whole.HasPartialFrame());

        CFrameSplitter byteByByte;
        QList<SplitFrame> found;
        for (const char byte : stream)
            found += byteByByte.Feed(QByteArray(1, byte));
        QCOMPARE(Described(found), frames);
        QVERIFY(byteByByte.Flush().isEmpty());
    }

    void splitterFlush_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<bool>("partial");
        QTest::addColumn<QStringList>("flushed");
        QTest::newRow("half a frame") << g_point1V100Mhz.left(9) << true
                                      << QStringList{Described("truncated", g_point1V100Mhz.left(9))};
        QTest::newRow("cut sweep, whole close behind")
            << g_sweep10To400Mhz.left(10) + g_close << true
            << QStringList{Described("truncated", g_sweep10To400Mhz.left(10)), Described("good", g_close)};
        QTest::newRow("header alone") << g_close.left(4) << true << QStringList{Described("truncated", g_close.left(4))};
        QTest::newRow("start of a header") << g_close.left(3) << false << QStringList{};
        QTest::newRow("nothing") << QByteArray() << false << QStringList{};
    }
    void splitterFlush()
    {
        QFETCH(QByteArray, stream);
        QFETCH(bool, partial);
        QFETCH(QStringList, flushed);
        CFrameSplitter splitter;
        QVERIFY(splitter.Feed(stream).isEmpty());
        QCOMPARE(splitter.HasPartialFrame(), partial);
        QCOMPARE(Described(splitter.Flush()), flushed);
        QVERIFY(!splitter.HasPartialFrame());
        QCOMPARE(Described(splitter.Feed(g_close)), QStringList{Described("good", g_close)});
    }

    void replies_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("recorded");
        QTest::addColumn<SplitFrame::Verdict>("verdict");
        QTest::addColumn<int>("retry");
        QTest::addColumn<int>("command");
        QTest::addColumn<CVirtualBoard::Mode>("mode");
        QTest::addColumn<quint32>("tuningWord");
        QTest::addColumn<int>("amplitudeWord");
        using V = SplitFrame::Verdict;
        using M = CVirtualBoard::Mode;
        const QByteArray badStep = SweepFrame(10, 400, 0x0E, false);
        const QByteArray badControl = Hex(Sealed(ComposeFrame(0, "40", {{"control code", 0x85, 1}})));
        const QByteArray unknown = Hex(Sealed(ComposeFrame(0, "02", {{"word", 0x1234, 2}})));
        QTest::newRow("single point") << g_point1V100Mhz << g_ok << g_point1V100Mhz << V::Good << 0 << 0x01
                                      << M::SinglePoint << quint32(0x19999999) << 0x0FD7;
        QTest::newRow("single point resent") << g_point1V100MhzResent << g_ok << g_point1V100MhzResent << V::Good << 1
                                             << 0x01 << M::SinglePoint << quint32(0x19999999) << 0x0FD7;
        QTest::newRow("sweep") << g_sweep10To400Mhz << g_ok << g_sweep10To400Mhz << V::Good << 0 << 0x03 << M::Sweeping
                               << quint32(0x028F5C28) << 0x0FFF;
        QTest::newRow("close") << g_close << g_ok << g_close << V::Good << 0 << 0x40 << M::Off << quint32(0) << 0;
        QTest::newRow("pause with no sweep") << g_pause << g_ok << g_pause << V::Good << 0 << 0x40 << M::Off
                                             << quint32(0) << 0;
        QTest::newRow("noise before a frame") << Hex("00FFA5") + g_point1V100Mhz << g_ok << g_point1V100Mhz << V::Good
                                              << 0 << 0x01 << M::SinglePoint << quint32(0x19999999) << 0x0FD7;
        QTest::newRow("bad CRC") << WithLastByteFlipped(g_point1V100Mhz) << g_error
                                 << WithLastByteFlipped(g_point1V100Mhz) << V::BadCrc << 0 << 0x01 << M::Off
                                 << quint32(0) << 0;
        QTest::newRow("step code above 0D") << badStep << g_error << badStep << V::Good << 0 << 0x03 << M::Off
                                            << quint32(0) << 0;
        QTest::newRow("unknown control code") << badControl << g_error << badControl << V::Good << 0 << 0x40 << M::Off
                                              << quint32(0) << 0;
        QTest::newRow("unknown command") << unknown << g_error << unknown.left(6) << V::UnknownCommand << 0 << 0x02
                                         << M::Off << quint32(0) << 0;
        QTest::newRow("frame that stops arriving") << g_point1V100Mhz.left(10) << g_error << g_point1V100Mhz.left(10)
                                                   << V::Truncated << 0 << 0x01 << M::Off << quint32(0) << 0;
    }
    void replies()
    {
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, recorded);
        QFETCH(SplitFrame::Verdict, verdict);
        QFETCH(int, retry);
        QFETCH(int, command);
        QFETCH(CVirtualBoard::Mode, mode);
        QFETCH(quint32, tuningWord);
        QFETCH(int, amplitudeWord);
        // A sweep's first report would move the tuning word checked below.
        m_pBoard->SetReportInterval(3600 * 1000);
        QSignalSpy received(m_pBoard.get(), &CVirtualBoard::FrameReceived);
        QVERIFY(m_client.Write(sent));
        QTRY_COMPARE_WITH_TIMEOUT(m_client.Received(), reply, kWaitMs);
        const QList<ReceivedFrame> frames = m_pBoard->Frames();
        QCOMPARE(frames.size(), 1);
        QCOMPARE(received.size(), 1);
        QCOMPARE(frames[0].bytes, recorded);
        QCOMPARE(frames[0].verdict, verdict);
        QCOMPARE(frames[0].Retry(), retry);
        QCOMPARE(frames[0].Command(), command);
        QCOMPARE(m_pBoard->CurrentMode(), mode);
        QCOMPARE(m_pBoard->TuningWord(), tuningWord);
        QCOMPARE(m_pBoard->AmplitudeWord(), amplitudeWord);
    }

    void faultKnobs_data()
    {
        QTest::addColumn<int>("silent");
        QTest::addColumn<int>("refused");
        QTest::addColumn<int>("sent");
        QTest::addColumn<CVirtualBoard::Mode>("mode");
        QTest::addColumn<QByteArray>("replies");
        using M = CVirtualBoard::Mode;
        QTest::newRow("silent for one") << 1 << 0 << 2 << M::SinglePoint << g_ok + g_ok;
        QTest::newRow("silent for both") << 2 << 0 << 2 << M::Off << g_ok;
        QTest::newRow("refused once") << 0 << 1 << 2 << M::SinglePoint << g_error + g_ok + g_ok;
        QTest::newRow("refused for both") << 0 << 2 << 2 << M::Off << g_error + g_error + g_ok;
        QTest::newRow("silence before refusal, both counting") << 1 << 2 << 2 << M::Off << g_error + g_ok;
    }
    void faultKnobs()
    {
        QFETCH(int, silent);
        QFETCH(int, refused);
        QFETCH(int, sent);
        QFETCH(CVirtualBoard::Mode, mode);
        QFETCH(QByteArray, replies);
        m_pBoard->StaySilent(silent);
        m_pBoard->Refuse(refused);
        for (int i = 0; i < sent; ++i)
            SendAndAwait(g_point1V100Mhz);
        QCOMPARE(m_pBoard->CurrentMode(), mode);
        // The close frame after them is answered, and replies keep their order.
        SendAndAwait(g_close);
        QTRY_COMPARE_WITH_TIMEOUT(m_client.Received(), replies, kWaitMs);
        for (const ReceivedFrame& frame : m_pBoard->Frames())
            QCOMPARE(frame.verdict, SplitFrame::Verdict::Good);
        QCOMPARE(m_pBoard->CurrentMode(), CVirtualBoard::Mode::Off);
    }

    void splitReply_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("good frame") << g_point1V100Mhz << g_ok;
        QTest::newRow("bad frame") << WithLastByteFlipped(g_close) << g_error;
    }
    void splitReply()
    {
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, reply);
        m_pBoard->SplitNextReply(400);
        QVERIFY(m_client.Write(sent));
        QTRY_COMPARE_WITH_TIMEOUT(m_client.Chunks(), (QList<QByteArray>{reply.left(1), reply.mid(1)}), kWaitMs);
        // Only the next reply is split.
        QVERIFY(m_client.Write(g_close));
        QTRY_COMPARE_WITH_TIMEOUT(m_client.Chunks().size(), 3, kWaitMs);
        QCOMPARE(m_client.Chunks().last(), g_ok);
    }

    void rawBytesGoOutAsSent()
    {
        const QByteArray noise = Hex("000A0D11FF");
        m_pBoard->SendRaw(noise);
        QTRY_COMPARE_WITH_TIMEOUT(m_client.Received(), noise, kWaitMs);
    }

    void sweepReports_data()
    {
        QTest::addColumn<QByteArray>("sweep");
        QTest::addColumn<int>("stepsPerReport");
        QTest::addColumn<QList<double>>("reportedMhz");
        QTest::addColumn<bool>("circular");
        QTest::addColumn<bool>("paced");
        const QList<double> upward{135, 260, 385, 400};
        QTest::newRow("upward") << SweepFrame(10, 400, 0x0D, false) << 1 << upward << false << true;
        QTest::newRow("upward, no line pacing") << SweepFrame(10, 400, 0x0D, false) << 1 << upward << false << false;
        QTest::newRow("downward") << SweepFrame(400, 10, 0x0D, false) << 1 << QList<double>{275, 150, 25, 10}
                                  << false << true;
        QTest::newRow("two smaller steps a report") << SweepFrame(10, 400, 0x0C, false) << 2 << upward << false
                                                    << true;
        QTest::newRow("circular wraps to the start") << SweepFrame(10, 400, 0x0D, true) << 1
                                                     << QList<double>{135, 260, 385, 400, 135, 260} << true << true;
    }
    void sweepReports()
    {
        QFETCH(QByteArray, sweep);
        QFETCH(int, stepsPerReport);
        QFETCH(QList<double>, reportedMhz);
        QFETCH(bool, circular);
        QFETCH(bool, paced);
        m_pBoard->SetLinePacing(paced);
        m_pBoard->SetReportInterval(200);
        m_pBoard->SetStepsPerReport(stepsPerReport);
        QSignalSpy reports(m_pBoard.get(), &CVirtualBoard::ReportSent);
        SendAndAwait(sweep);
        QCOMPARE(m_pBoard->IsCircular(), circular);
        const qsizetype nCount = reportedMhz.size();
        QTRY_VERIFY_WITH_TIMEOUT(m_client.Chunks().size() >= nCount + 1, 4 * kWaitMs);

        const QList<QByteArray> chunks = m_client.Chunks();
        QCOMPARE(chunks.first(), g_ok);
        for (qsizetype i = 0; i < nCount; ++i) {
            const QByteArray& message = chunks[i + 1];
            QCOMPARE(message.size(), 4);
            const quint32 dwWord = qFromBigEndian<quint32>(message.constData());
            QCOMPARE(reports[i][0].value<quint32>(), dwWord);
            QVERIFY2(qAbs(TuningWordToFrequencyExact(dwWord) - reportedMhz[i]) < 1e-6,
                     qPrintable(QStringLiteral("report %1: %2 MHz").arg(i).arg(TuningWordToFrequencyExact(dwWord))));
        }
        // The end is reported as sent, its word not recomputed.
        const QByteArray end = sweep.mid(10, 4);
        QCOMPARE(chunks[4], end);
        if (circular) {
            QCOMPARE(m_pBoard->CurrentMode(), CVirtualBoard::Mode::Sweeping);
            SendAndAwait(g_close);
        } else {
            QCOMPARE(m_pBoard->CurrentMode(), CVirtualBoard::Mode::SinglePoint);
            QCOMPARE(m_pBoard->TuningWord(), qFromBigEndian<quint32>(end.constData()));
        }
        // No report is sent once the sweep is over.
        const qsizetype nSent = reports.size();
        QTest::qWait(600);
        QCOMPARE(reports.size(), nSent);
    }

    void pauseContinueClose()
    {
        QSignalSpy reports(m_pBoard.get(), &CVirtualBoard::ReportSent);
        SendAndAwait(g_sweep10To400Mhz);
        QTRY_VERIFY_WITH_TIMEOUT(reports.size() >= 2, kWaitMs);
        QVERIFY(reports[1][0].value<quint32>() > reports[0][0].value<quint32>());

        SendAndAwait(g_pause);
        QCOMPARE(m_pBoard->CurrentMode(), CVirtualBoard::Mode::Paused);
        const qsizetype nPaused = reports.size();
        const quint32 dwPausedAt = m_pBoard->TuningWord();
        QTest::qWait(500);
        QCOMPARE(reports.size(), nPaused);
        QCOMPARE(m_pBoard->TuningWord(), dwPausedAt);

        SendAndAwait(g_continue);
        QCOMPARE(m_pBoard->CurrentMode(), CVirtualBoard::Mode::Sweeping);
        QTRY_VERIFY_WITH_TIMEOUT(reports.size() > nPaused, kWaitMs);
        QVERIFY(reports[nPaused][0].value<quint32>() > dwPausedAt);

        SendAndAwait(g_close);
        QCOMPARE(m_pBoard->CurrentMode(), CVirtualBoard::Mode::Off);
        const qsizetype nClosed = reports.size();
        QTest::qWait(500);
        QCOMPARE(reports.size(), nClosed);
        // Four replies and every report reached the client.
        QTRY_COMPARE_WITH_TIMEOUT(m_client.Received().size(), 4 * g_ok.size() + 4 * nClosed, kWaitMs);
    }

    void portWithoutLinkIsRawBeforeClientSetsItUp()
    {
        CVirtualBoard board;
        QVERIFY2(board.Open(), qPrintable(board.ErrorText()));
        QVERIFY(board.IsOpen());
        QVERIFY(board.PortName().startsWith(QStringLiteral("/dev/")));
        // Line ends inside the frame and a reply without one: a cooked port
        // would change the first and hold back the second.
        const QByteArray frame
            = Hex(Sealed(ComposeFrame(0, "01", {{"tuning word", 0x0A0D0A0D, 4}, {"amplitude word", 0x0D0A, 2}})));
        CLineClient client;
        QVERIFY(client.Open(board.PortName(), false));
        QVERIFY(client.Write(frame));
        QTRY_COMPARE_WITH_TIMEOUT(client.Received(), g_ok, kWaitMs);
        QCOMPARE(board.Frames().size(), 1);
        QCOMPARE(board.Frames()[0].bytes, frame);
    }

    void clientReopensPort()
    {
        SendAndAwait(g_point1V100Mhz);
        QTRY_COMPARE_WITH_TIMEOUT(m_client.Received(), g_ok, kWaitMs);
        m_client.Close();
        QVERIFY(m_pBoard->IsOpen());
        QVERIFY(m_client.Open(m_pBoard->PortName()));
        QVERIFY(m_client.Write(g_close));
        QTRY_COMPARE_WITH_TIMEOUT(m_client.Received(), g_ok, kWaitMs);
        const QList<ReceivedFrame> frames = m_pBoard->Frames();
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[1].Command(), 0x40);
        QVERIFY(frames[1].nMsecs >= frames[0].nMsecs);
    }

    void vanishAndReappear()
    {
        m_pBoard->Vanish();
        QVERIFY(!m_pBoard->IsOpen());
        QTRY_VERIFY_WITH_TIMEOUT(m_client.HasHungUp(), kWaitMs);
        QVERIFY(!m_client.Write(g_close));
        QCOMPARE(m_client.WriteErrno(), EIO);
        QCOMPARE(m_pBoard->PortName(), LinkPath());

        QVERIFY2(m_pBoard->Reappear(), qPrintable(m_pBoard->ErrorText()));
        QVERIFY(m_pBoard->IsOpen());
        QCOMPARE(m_pBoard->PortName(), LinkPath());
        QVERIFY(QFileInfo::exists(QFileInfo(LinkPath()).symLinkTarget()));
        QVERIFY(m_client.Open(LinkPath()));
        QVERIFY(m_client.Write(g_point1V100Mhz));
        QTRY_COMPARE_WITH_TIMEOUT(m_client.Received(), g_ok, kWaitMs);
        QCOMPARE(m_pBoard->CurrentMode(), CVirtualBoard::Mode::SinglePoint);
    }

    void linkGoesWithTheBoard()
    {
        QVERIFY(QFileInfo(LinkPath()).isSymLink());
        m_client.Close();
        m_pBoard.reset();
        QVERIFY(!QFileInfo(LinkPath()).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestBoard)
#include "test_board.moc"
