// The resend watch over a real link: short periods, and a pseudo-terminal
// whose far end answers each frame from a script as soon as it is written.

#include "protocol/frame_builders.h"
#include "protocol/reply_text.h"
#include "serial/board_line.h"
#include "serial/comm_error.h"
#include "serial/resend_watch.h"
#include "serial/serial_link.h"
#include "support/raw_pty.h"

#include <QTest>

namespace {

// Long enough for the pseudo-terminal's answer to come back before the next
// tick on a busy machine.
constexpr int kPeriodMs = 100;
constexpr int kWaitMs = 15000;

WatchPolicy Shortened(WatchPolicy policy)
{
    policy.nPeriodMsecs = kPeriodMs;
    return policy;
}

// A policy by name; "... with a silence limit" counts three periods without
// any reply as a refusal, "... on arrival" judges each reply as it comes.
WatchPolicy PolicyNamed(const QString& strName)
{
    if (strName.endsWith(QLatin1String(" with a silence limit"))) {
        WatchPolicy policy = PolicyNamed(strName.section(QLatin1Char(' '), 0, 0));
        policy.nSilenceMsecs = 3 * kPeriodMs;
        return policy;
    }
    if (strName.endsWith(QLatin1String(" on arrival")))
        return OnArrival(PolicyNamed(strName.section(QLatin1Char(' '), 0, 0)));
    if (strName == QLatin1String("point"))
        return Shortened(kPointWatchPolicy);
    if (strName == QLatin1String("close"))
        return Shortened(kCloseWatchPolicy);
    return Shortened(kSweepWatchPolicy);
}

QStringList Counts(int nFirst, int nLast)
{
    QStringList counts;
    for (int n = nFirst; n <= nLast; ++n)
        counts.append(QString::asprintf("%02d", n));
    return counts;
}

// A watch with its counters on a link to a pseudo-terminal, the reply text
// the window's receive path would keep, and a board that answers from a
// script: A acknowledges, R refuses, S stays silent; past the script it stays
// silent.
class WatchBench : public QObject {
public:
    WatchBench(const WatchPolicy& policy, const QString& strAnswers)
        : m_strAnswers(strAnswers)
        , m_watch(policy, {m_nRetry, m_bDone, m_bRetrying}, [](int nRetry) { return PointFrame(nRetry, 0x19999999, 0x0FD7); },
                  m_link, &m_strReply)
    {
        m_link.Ports().AddPreferred(m_pty.SlavePath(), QStringLiteral("scripted board"));
        m_link.Attach();
        SetUpBoardLine(m_link);
        connect(&m_link, &CSerialLink::replyReceived, this, [this](const QByteArray& bytes) {
            m_strReply = ReplyText(bytes);
            if (m_bPortClosesAfterReply)
                m_link.SetPortOpen(false);
        });
        connect(&m_watch, &CResendWatch::FrameWritten, this, [this](const QString&, int nRetry) { Answer(nRetry); });
        connect(&m_watch, &CResendWatch::Acknowledged, this, [this] { ++m_nAcknowledged; });
        connect(&m_watch, &CResendWatch::Ticked, this, [this] { ++m_nTicks; });
        connect(&m_watch, &CResendWatch::Concluded, this,
                [this](WatchResult result) { m_verdicts.append(QLatin1String(WatchResultName(result))); });
        connect(&m_watch, &CResendWatch::SendFailed, this, [this](const QString& strWhy, bool bPortFault) {
            m_failures.append(strWhy);
            m_bPortFault = bPortFault;
        });
    }

    void Answer(int nRetry)
    {
        m_counts.append(QString::asprintf("%02d", nRetry));
        const QChar answer = m_counts.size() <= m_strAnswers.size() ? m_strAnswers[m_counts.size() - 1] : u'S';
        if (answer != u'S')
            m_pty.Write(QByteArray::fromHex(answer == u'A' ? "4F4B" : "4552"));
    }

    RawPty m_pty;
    CSerialLink m_link;
    QString m_strReply;
    QString m_strAnswers;
    int m_nRetry = 0;
    bool m_bDone = false;
    bool m_bRetrying = false;
    CResendWatch m_watch;
    QStringList m_counts;
    QStringList m_verdicts;
    int m_nAcknowledged = 0;
    int m_nTicks = 0;
    QStringList m_failures;
    bool m_bPortFault = false;
    // The port refuses what comes after the first answer.
    bool m_bPortClosesAfterReply = false;
};

} // namespace

class TestResendWatch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answersAndResends_data()
    {
        QTest::addColumn<QString>("policy");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QStringList>("counts");
        QTest::addColumn<int>("acknowledged");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<bool>("running");
        QTest::newRow("point, acknowledged") << "point" << "A" << Counts(0, 0) << 1 << "ack" << false;
        QTest::newRow("point, refused twice") << "point" << "RRA" << Counts(0, 2) << 1 << "ack" << false;
        QTest::newRow("point, silent") << "point" << "" << Counts(0, 6) << 0 << "gave_up" << false;
        QTest::newRow("point, refused throughout") << "point" << "RRRRRRRR" << Counts(0, 6) << 0 << "refused" << false;
        QTest::newRow("point, answered by the last resend") << "point" << "SSSSSSA" << Counts(0, 6) << 0 << "gave_up" << false;
        QTest::newRow("close, silent: count stays 00") << "close" << "" << QStringList(10, "00") << 0 << "gave_up" << false;
        QTest::newRow("close, refused once") << "close" << "RA" << QStringList(2, "00") << 1 << "ack" << false;
        QTest::newRow("sweep, acknowledged: ticks go on") << "sweep" << "A" << Counts(0, 0) << 1 << "ack" << true;
        QTest::newRow("sweep, silent: waits") << "sweep" << "" << Counts(0, 0) << 0 << "" << true;
        QTest::newRow("sweep, refused then silent") << "sweep" << "RR" << Counts(0, 2) << 0 << "" << true;
        QTest::newRow("sweep, refused throughout") << "sweep" << "RRRRRRRRRRR" << Counts(0, 9) << 0 << "refused" << false;
        QTest::newRow("sweep, silence limit: silent") << "sweep with a silence limit" << "" << Counts(0, 9) << 0 << "gave_up"
                                                      << false;
        QTest::newRow("sweep, silence limit: silent twice") << "sweep with a silence limit" << "SSA" << Counts(0, 2)
                                                            << 1 << "ack" << true;
        QTest::newRow("sweep, silence limit: silent and refused") << "sweep with a silence limit" << "SRSA"
                                                                  << Counts(0, 3) << 1 << "ack" << true;
        QTest::newRow("point, silence limit: resends as before") << "point with a silence limit" << "" << Counts(0, 6)
                                                                 << 0 << "gave_up" << false;
        QTest::newRow("close, silence limit: resends as before") << "close with a silence limit" << "RA"
                                                                 << QStringList(2, "00") << 1 << "ack" << false;
        QTest::newRow("point on arrival, refused twice") << "point on arrival" << "RRA" << Counts(0, 2) << 1 << "ack"
                                                         << false;
        QTest::newRow("point on arrival, answered by the last resend")
            << "point on arrival" << "SSSSSSA" << Counts(0, 6) << 1 << "ack" << false;
        QTest::newRow("point on arrival, refused throughout") << "point on arrival" << "RRRRRRRR" << Counts(0, 6) << 0
                                                              << "refused" << false;
        QTest::newRow("point on arrival, silent") << "point on arrival" << "" << Counts(0, 6) << 0 << "gave_up" << false;
        QTest::newRow("sweep on arrival, acknowledged: the exchange ends") << "sweep on arrival" << "A" << Counts(0, 0)
                                                                           << 1 << "ack" << false;
        QTest::newRow("sweep on arrival, refused throughout") << "sweep on arrival" << "RRRRRRRRRRR" << Counts(0, 9)
                                                              << 0 << "refused" << false;
    }
    void answersAndResends()
    {
        QFETCH(QString, policy);
        QFETCH(QString, answers);
        QFETCH(QStringList, counts);
        QFETCH(int, acknowledged);
        QFETCH(QString, verdict);
        QFETCH(bool, running);
        WatchBench bench(PolicyNamed(policy), answers);
        bench.m_watch.Send();
        QVERIFY(bench.m_watch.IsRunning());
        QTRY_COMPARE_WITH_TIMEOUT(bench.m_counts.size(), counts.size(), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!bench.m_verdicts.isEmpty() || running, kWaitMs);
        // Long enough for any frame that should not come.
        QTest::qWait(5 * kPeriodMs);
        QCOMPARE(bench.m_counts, counts);
        QCOMPARE(bench.m_nAcknowledged, acknowledged);
        QCOMPARE(bench.m_verdicts, verdict.isEmpty() ? QStringList() : QStringList{verdict});
        QCOMPARE(bench.m_watch.IsRunning(), running);
        QCOMPARE(bench.m_bDone, !verdict.isEmpty());
        if (!verdict.isEmpty()) {
            QCOMPARE(bench.m_nRetry, 0);
            QVERIFY(!bench.m_bRetrying);
        }
    }

    // With a period no test waits out, only the reply itself can end it.
    void acknowledgementEndsTheExchangeAsItArrives()
    {
        WatchPolicy policy = OnArrival(kPointWatchPolicy);
        policy.nPeriodMsecs = 600000;
        WatchBench bench(policy, QStringLiteral("A"));
        bench.m_watch.Send();
        QTRY_COMPARE_WITH_TIMEOUT(bench.m_verdicts, QStringList{"ack"}, kWaitMs);
        QVERIFY(!bench.m_watch.IsRunning());
        QCOMPARE(bench.m_nTicks, 0);
    }

    void earlierReplyAnswersNothing()
    {
        WatchBench bench(PolicyNamed(QStringLiteral("point")), QString());
        bench.m_pty.Write(QByteArray::fromHex("4F4B"));
        QTRY_COMPARE_WITH_TIMEOUT(bench.m_strReply, QStringLiteral("4F 4B "), kWaitMs);
        bench.m_watch.Send();
        QTRY_VERIFY_WITH_TIMEOUT(!bench.m_watch.IsRunning(), kWaitMs);
        QCOMPARE(bench.m_counts, Counts(0, 6));
        QCOMPARE(bench.m_nAcknowledged, 0);
    }

    void sendWhileResendingKeepsTheCountAndTheRhythm()
    {
        WatchBench bench(PolicyNamed(QStringLiteral("point")), QString());
        // Pressed between the ticks, right after the third frame.
        connect(&bench.m_watch, &CResendWatch::FrameWritten, this, [&bench] {
            if (bench.m_counts.size() == 3)
                QMetaObject::invokeMethod(&bench, [&bench] { bench.m_watch.Send(); }, Qt::QueuedConnection);
        });
        bench.m_watch.Send();
        QTRY_VERIFY_WITH_TIMEOUT(!bench.m_watch.IsRunning(), kWaitMs);
        QCOMPARE(bench.m_counts, (QStringList{"00", "01", "02", "02", "03", "04", "05", "06"}));
    }

    void stoppedByAnotherKeepsItsCount()
    {
        WatchBench bench(PolicyNamed(QStringLiteral("sweep")), QStringLiteral("RS"));
        bench.m_watch.Send();
        QTRY_COMPARE_WITH_TIMEOUT(bench.m_counts.size(), 2, kWaitMs);
        bench.m_watch.Stop();
        QCOMPARE(bench.m_nRetry, 1);
        QVERIFY(bench.m_bRetrying);
        // The next send carries that count and, resending still, starts no ticks.
        bench.m_watch.Send();
        QCOMPARE(bench.m_counts.last(), QStringLiteral("01"));
        QVERIFY(!bench.m_watch.IsRunning());
    }

    void eachTickStopsTheWatchBefore()
    {
        WatchBench first(PolicyNamed(QStringLiteral("sweep")), QStringLiteral("A"));
        WatchBench second(PolicyNamed(QStringLiteral("sweep")), QStringLiteral("S"));
        second.m_watch.StopOnEachTick(&first.m_watch);
        first.m_watch.Send();
        second.m_watch.Send();
        QVERIFY(first.m_watch.IsRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!first.m_watch.IsRunning(), kWaitMs);
        QVERIFY(second.m_watch.IsRunning());
    }

    void shutDownResetsOnlyTheCount()
    {
        WatchBench bench(PolicyNamed(QStringLiteral("sweep")), QStringLiteral("RS"));
        bench.m_watch.Send();
        QTRY_COMPARE_WITH_TIMEOUT(bench.m_counts.size(), 2, kWaitMs);
        bench.m_watch.ShutDown();
        QVERIFY(!bench.m_watch.IsRunning());
        QCOMPARE(bench.m_nRetry, 0);
        QVERIFY(bench.m_bRetrying);
        QVERIFY(!bench.m_bDone);
    }

    void refusedResendEndsTheWatch_data()
    {
        QTest::addColumn<QString>("policy");
        QTest::newRow("point") << "point";
        QTest::newRow("close") << "close";
        QTest::newRow("sweep") << "sweep";
    }
    void refusedResendEndsTheWatch()
    {
        QFETCH(QString, policy);
        WatchBench bench(PolicyNamed(policy), QStringLiteral("R"));
        bench.m_bPortClosesAfterReply = true;
        bench.m_watch.Send();
        QTRY_COMPARE_WITH_TIMEOUT(bench.m_failures.size(), 1, kWaitMs);
        QVERIFY(bench.m_bPortFault);
        QVERIFY(!bench.m_watch.IsRunning());
        QTest::qWait(5 * kPeriodMs);
        QCOMPARE(bench.m_failures.size(), 1);
        QVERIFY2(bench.m_failures.first().contains("not open"), qPrintable(bench.m_failures.first()));
        QCOMPARE(bench.m_nRetry, 0);
        QVERIFY(bench.m_bDone);
        QVERIFY(!bench.m_bRetrying);
    }

    void refusedFirstSendChangesNothing()
    {
        WatchBench bench(PolicyNamed(QStringLiteral("point")), QString());
        bench.m_link.SetPortOpen(false);
        QVERIFY_THROWS_EXCEPTION(CommError, bench.m_watch.Send());
        QVERIFY(!bench.m_watch.IsRunning());
        QVERIFY(!bench.m_bDone);
        QVERIFY(bench.m_failures.isEmpty());
    }
};

QTEST_MAIN(TestResendWatch)
#include "test_resend_watch.moc"
