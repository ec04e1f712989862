#include "board/virtual_board.h"
#include "serial/board_line.h"
#include "serial/serial_link.h"
#include "stepping/least_dwell.h"
#include "stepping/stepping_run.h"
#include "support/golden_frames.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>


Q_DECLARE_METATYPE(StepPoint)
Q_DECLARE_METATYPE(StepPoints)
Q_DECLARE_METATYPE(SteppingEnd)

namespace {

// Timer slips on a busy machine, far below the round trips that would add
// up over a run if delays did.
constexpr double kSlackMsecs = 60.0;
constexpr int kWaitMs = 20000;

StepPoints ThreeGoldenPoints(double dDwellSeconds)
{
    return {{10.0, 0.0, dDwellSeconds}, {100.0, 1.0, dDwellSeconds}, {400.0, 4.0, dDwellSeconds}};
}

} // namespace

// Stepped sweeps sent to the virtual board over a pseudo-terminal, as the
// tool and the server send them.
class TestStepping : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_linkDir;
    std::unique_ptr<CVirtualBoard> m_pBoard;
    std::unique_ptr<CSerialLink> m_pLink;
    std::unique_ptr<CSteppingRun> m_pRun;

    QStringList BoardFrames() const
    {
        QStringList frames;
        for (const ReceivedFrame& frame : m_pBoard->Frames())
            frames.append(frame.Hex());
        return frames;
    }

private Q_SLOTS:
    void init()
    {
        m_pBoard = std::make_unique<CVirtualBoard>();
        QVERIFY2(m_pBoard->Open(m_linkDir.filePath(QStringLiteral("ttyVB0"))), qPrintable(m_pBoard->ErrorText()));
        m_pLink = std::make_unique<CSerialLink>();
        m_pLink->Ports().AddPreferred(m_pBoard->PortName(), m_pBoard->PortDescription());
        m_pLink->SetAnswersAtOnce(true);
        m_pLink->Attach();
        SetUpBoardLine(*m_pLink);
        m_pRun = std::make_unique<CSteppingRun>(*m_pLink);
    }

    void cleanup()
    {
        m_pRun.reset();
        m_pLink.reset();
        m_pBoard.reset();
    }

    void pointsGoOutInOrderOnTheirSchedule_data()
    {
        QTest::addColumn<StepPoints>("points");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QStringList>("frames");
        const QStringList golden{kPoint0V10MhzFrame, kPoint1V100MhzFrame, kPoint4V400MhzFrame};
        QTest::newRow("three passes, 50 ms each") << ThreeGoldenPoints(0.05) << 3 << golden + golden + golden;
        StepPoints dwells = ThreeGoldenPoints(0.03);
        dwells[1].dDwellSeconds = 0.25;
        QTest::newRow("a dwell of its own") << dwells << 1 << golden;
    }
    void pointsGoOutInOrderOnTheirSchedule()
    {
        QFETCH(StepPoints, points);
        QFETCH(int, repeat);
        QFETCH(QStringList, frames);
        QSignalSpy finished(m_pRun.get(), &CSteppingRun::finished);
        m_pRun->SetPoints(points);
        m_pRun->SetRepeat(repeat);
        QElapsedTimer clock;
        clock.start();
        QVERIFY2(m_pRun->Start(), qPrintable(m_pRun->ErrorText()));
        QVERIFY(finished.wait(kWaitMs));
        const qint64 nRunMsecs = clock.elapsed();

        QCOMPARE(finished.first().first().value<SteppingEnd>(), SteppingEnd::Completed);
        QCOMPARE(BoardFrames(), frames);
        // At the board, each frame came when its point was due counted from
        // the first, whatever the delays before it: they do not add up.
        const QList<ReceivedFrame> received = m_pBoard->Frames();
        double dDue = 0.0;
        for (int i = 1; i < received.size(); ++i) {
            dDue += points[(i - 1) % points.size()].dDwellSeconds * 1000.0;
            const double dAt = received[i].nMsecs - received[0].nMsecs;
            QVERIFY2(dAt >= dDue - kSlackMsecs && dAt <= dDue + 2 * kSlackMsecs,
                     qPrintable(QStringLiteral("frame %1 at %2 ms, due at %3 ms").arg(i).arg(dAt).arg(dDue)));
        }
        // The run ends after the last point's dwell, not at its answer.
        QVERIFY(nRunMsecs >= repeat * PassSeconds(points) * 1000.0 - 2.0);
        QCOMPARE(m_pBoard->CurrentMode(), CVirtualBoard::Mode::SinglePoint);
        QCOMPARE(m_pBoard->TuningWord(), 0x66666666u);
    }

    void unansweredPointEndsTheRunNamingIt_data()
    {
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<QString>("message");
        QTest::newRow("refused") << true
                                 << "Point 3 of 5, 40 MHz: the board refused it (frames sent: 7, last reply 45 52).";
        QTest::newRow("silent") << false
                                << "Point 3 of 5, 40 MHz: the board never acknowledged it (frames sent: 7, "
                                   "no reply at all).";
    }
    void unansweredPointEndsTheRunNamingIt()
    {
        QFETCH(bool, refuse);
        QFETCH(QString, message);
        const StepPoints points{{10.0, 1.0, 0.03}, {20.0, 1.0, 0.03}, {40.0, 1.0, 0.03}, {80.0, 1.0, 0.03},
                                {160.0, 1.0, 0.03}};
        connect(m_pRun.get(), &CSteppingRun::pointDone, this, [this, refuse](const StepRecord& record) {
            if (record.nPoint == 2)
                refuse ? m_pBoard->Refuse(100) : m_pBoard->StaySilent(100);
        });
        QSignalSpy finished(m_pRun.get(), &CSteppingRun::finished);
        QSignalSpy done(m_pRun.get(), &CSteppingRun::pointDone);
        m_pRun->SetPoints(points);
        QVERIFY(m_pRun->Start());
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(finished.first().first().value<SteppingEnd>(), SteppingEnd::NotAcknowledged);
        QCOMPARE(m_pRun->ErrorText(), message);
        QCOMPARE(done.size(), 3);
        // Point 3 and its six resends, and nothing after them.
        QTest::qWait(200);
        QCOMPARE(m_pBoard->Frames().size(), 2 + 7);
    }

    void pauseHoldsTheScheduleAndAbortStopsAtOnce()
    {
        m_pRun->SetPoints(ThreeGoldenPoints(0.1));
        QSignalSpy finished(m_pRun.get(), &CSteppingRun::finished);
        QVERIFY(m_pRun->Start());
        QTRY_COMPARE_WITH_TIMEOUT(m_pBoard->Frames().size(), 1, kWaitMs);
        m_pRun->Pause();
        QTest::qWait(400);
        QCOMPARE(m_pBoard->Frames().size(), 1);
        m_pRun->Continue();
        QTRY_COMPARE_WITH_TIMEOUT(m_pBoard->Frames().size(), 2, kWaitMs);
        const QList<ReceivedFrame> received = m_pBoard->Frames();
        QVERIFY(received[1].nMsecs - received[0].nMsecs >= 400 + 100 - 60);
        m_pRun->Abort();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().value<SteppingEnd>(), SteppingEnd::Aborted);
        QTest::qWait(300);
        QCOMPARE(BoardFrames(), (QStringList{kPoint0V10MhzFrame, kPoint1V100MhzFrame}));
        QCOMPARE(m_pBoard->TuningWord(), 0x19999999u);
    }

    void lateAnswersDelayPointsButSkipNone()
    {
        // The adapter holds each answer longer than the dwell the link allows.
        m_pBoard->SetAdapterLatency(40);
        const double dLeast = LeastDwellSeconds(*m_pLink);
        m_pRun->SetPoints(StepPoints(8, {100.0, 1.0, dLeast}));
        QSignalSpy finished(m_pRun.get(), &CSteppingRun::finished);
        QVERIFY(m_pRun->Start());
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(finished.first().first().value<SteppingEnd>(), SteppingEnd::Completed);
        QCOMPARE(m_pBoard->Frames().size(), 8);
        QCOMPARE(m_pRun->LateCount(), 7);
    }

    void portFailureEndsTheRunWithItsMessage()
    {
        m_pRun->SetPoints(ThreeGoldenPoints(0.2));
        QSignalSpy finished(m_pRun.get(), &CSteppingRun::finished);
        QSignalSpy failures(m_pLink.get(), &CSerialLink::portFailed);
        QVERIFY(m_pRun->Start());
        QTRY_COMPARE_WITH_TIMEOUT(m_pBoard->Frames().size(), 1, kWaitMs);
        m_pBoard->Vanish();
        QVERIFY(finished.wait(kWaitMs));
        QCOMPARE(finished.first().first().value<SteppingEnd>(), SteppingEnd::PortFailed);
        QCOMPARE(failures.size(), 1);
        QCOMPARE(m_pRun->ErrorText(), failures.first().first().toString());
    }

    void startRefusesPointsOutOfRange_data()
    {
        QTest::addColumn<StepPoint>("point");
        QTest::addColumn<QString>("message");
        QTest::newRow("dwell below the line's round trip")
            << StepPoint{100.0, 1.0, 0.02}
            << "Point 2 of 2: dwell 0.02 s is below the least this line allows, 0.021 s.";
        QTest::newRow("dwell above an hour")
            << StepPoint{100.0, 1.0, 3600.5} << "Point 2 of 2: dwell 3600.5 s is above the most, 3600 s.";
        QTest::newRow("frequency above 400 MHz")
            << StepPoint{400.5, 1.0, 0.05} << "Point 2 of 2: frequency 400.5 MHz is outside 10 to 400 MHz.";
        QTest::newRow("frequency below 10 MHz")
            << StepPoint{9.99, 1.0, 0.05} << "Point 2 of 2: frequency 9.99 MHz is outside 10 to 400 MHz.";
        QTest::newRow("amplitude above 4 V")
            << StepPoint{100.0, 4.01, 0.05} << "Point 2 of 2: amplitude 4.01 V is outside 0 to 4 V.";
        QTest::newRow("negative amplitude")
            << StepPoint{100.0, -0.1, 0.05} << "Point 2 of 2: amplitude -0.1 V is outside 0 to 4 V.";
    }
    void startRefusesPointsOutOfRange()
    {
        QFETCH(StepPoint, point);
        QFETCH(QString, message);
        m_pRun->SetPoints({{100.0, 1.0, 0.05}, point});
        QVERIFY(!m_pRun->Start());
        QCOMPARE(m_pRun->ErrorText(), message);
        QVERIFY(!m_pRun->IsRunning());
        QTest::qWait(100);
        QVERIFY(m_pBoard->Frames().isEmpty());
    }

    void leastDwellIsTheLinesRoundTrip_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("latency");
        QTest::addColumn<double>("seconds");
        QTest::newRow("9600 baud") << 9600 << 0 << 0.021;
        QTest::newRow("9600 baud behind a 16 ms adapter") << 9600 << 16 << 0.039;
        QTest::newRow("115200 baud") << 115200 << 0 << 0.002;
    }
    void leastDwellIsTheLinesRoundTrip()
    {
        QFETCH(int, baud);
        QFETCH(int, latency);
        QFETCH(double, seconds);
        LineSettings line;
        line.nBaudRate = baud;
        QCOMPARE(LeastDwellSeconds(line, latency), seconds);
    }

    void logSpacing_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("stop");
        QTest::addColumn<int>("count");
        QTest::addColumn<QVector<double>>("frequencies");
        QTest::newRow("a decade a step") << 10.0 << 1000.0 << 3 << QVector<double>{10.0, 100.0, 1000.0};
        QTest::newRow("downwards") << 400.0 << 25.0 << 5 << QVector<double>{400.0, 200.0, 100.0, 50.0, 25.0};
        QTest::newRow("one point is too few") << 10.0 << 400.0 << 1 << QVector<double>{};
        QTest::newRow("10,001 points are too many") << 10.0 << 400.0 << 10001 << QVector<double>{};
    }
    void logSpacing()
    {
        QFETCH(double, start);
        QFETCH(double, stop);
        QFETCH(int, count);
        QFETCH(QVector<double>, frequencies);
        const StepPoints points = LogSpacedPoints(start, stop, count, 1.0, 0.05);
        QCOMPARE(points.size(), frequencies.size());
        for (int i = 0; i < points.size(); ++i)
            QVERIFY2(qAbs(points[i].dFrequencyMHz - frequencies[i]) < 1e-9, qPrintable(QString::number(i)));
        // The ends exactly, so that the last is never above its bound.
        if (!points.isEmpty())
            QVERIFY(points.first().dFrequencyMHz == start && points.last().dFrequencyMHz == stop);
    }
};

QTEST_GUILESS_MAIN(TestStepping)
#include "test_stepping.moc"
