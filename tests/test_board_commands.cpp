#include "encoding/words.h"
#include "protocol/frame.h"
#include "support/board_frames.h"
#include "support/board_on_line.h"
#include "support/sealed.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

#include <cmath>

namespace {

QByteArray SweepFrame(float fStartMhz, float fEndMhz, int nStepCode, bool bCircular, int nIntervalCount = 5)
{
    return Hex(Sealed(ComposeFrame(0, "03",
                                   {{"start word", FrequencyToTuningWord(fStartMhz), 4},
                                    {"end word", FrequencyToTuningWord(fEndMhz), 4},
                                    {"amplitude word", 0x0FFF, 2},
                                    {"step code", nStepCode, 1},
                                    {"time interval", nIntervalCount, 4},
                                    {"circular flag", bCircular ? 1 : 0, 1}})));
}

} // namespace

// What the board answers to each frame, and how it reports a sweep.
class TestBoardCommands : public BoardOnLineTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { OpenBoardAndClient(); }
    void cleanup() { CloseClientAndBoard(); }

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

    // Paced by its time per step, a sweep is never seen ahead of that time,
    // and it ends.
    void sweepTakesItsTime_data()
    {
        QTest::addColumn<int>("intervalCount");
        QTest::addColumn<int>("reportMs");
        QTest::newRow("100 ms a step, reports every 50 ms") << 5000000 << 50;
        QTest::newRow("30 ms a step, reports every 100 ms") << 1500000 << 100;
    }
    void sweepTakesItsTime()
    {
        QFETCH(int, intervalCount);
        QFETCH(int, reportMs);
        constexpr double kStepMhz = 125;
        const double dStepMs = intervalCount * 20e-6;
        m_pBoard->SetStepsPerReport(0);
        m_pBoard->SetReportInterval(reportMs);
        QList<double> sentAtMs;
        QElapsedTimer clock;
        connect(m_pBoard.get(), &CVirtualBoard::ReportSent, this, [&] { sentAtMs.append(clock.nsecsElapsed() / 1e6); });
        QSignalSpy reports(m_pBoard.get(), &CVirtualBoard::ReportSent);
        clock.start();
        SendAndAwait(SweepFrame(10, 400, 0x0D, false, intervalCount));
        QTRY_COMPARE_WITH_TIMEOUT(m_pBoard->CurrentMode(), CVirtualBoard::Mode::SinglePoint, kWaitMs);
        QCOMPARE(reports.last()[0].value<quint32>(), FrequencyToTuningWord(400));
        for (qsizetype i = 0; i < reports.size(); ++i) {
            const double dMhz = TuningWordToFrequencyExact(reports[i][0].value<quint32>());
            const double dSteps = std::ceil((dMhz - 10) / kStepMhz - 1e-9);
            QVERIFY2(dSteps * dStepMs <= sentAtMs[i],
                     qPrintable(QStringLiteral("%1 MHz reported after %2 ms").arg(dMhz).arg(sentAtMs[i])));
        }
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
};

QTEST_GUILESS_MAIN(TestBoardCommands)
#include "test_board_commands.moc"
