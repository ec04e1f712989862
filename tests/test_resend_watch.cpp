// The resend watch on its own: short periods, and a fake writer whose
// "board" answers each frame on the next turn of the event loop.

#include "serial/comm_error.h"
#include "serial/reply_state.h"
#include "serial/resend_watch.h"

#include <QTest>

namespace {

constexpr int kPeriodMs = 30;
constexpr int kWaitMs = 5000;

WatchPolicy Shortened(WatchPolicy policy)
{
    policy.nPeriodMsecs = kPeriodMs;
    return policy;
}

// A policy by name; "... with a silence limit" counts three periods without
// any reply as a refusal.
WatchPolicy PolicyNamed(const QString& strName)
{
    if (strName.endsWith(QLatin1String(" with a silence limit"))) {
        WatchPolicy policy = PolicyNamed(strName.section(QLatin1Char(' '), 0, 0));
        policy.nSilenceMsecs = 3 * kPeriodMs;
        return policy;
    }
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

// A watch with its counters, a writer that records the counts it was given
// and a board that answers from a script: A acknowledges, R refuses, S stays
// silent; past the script it stays silent.
class WatchBench : public QObject {
public:
    WatchBench(const WatchPolicy& policy, const QString& strAnswers)
        : m_strAnswers(strAnswers)
        , m_watch(policy, {m_nRetry, m_bDone, m_bRetrying}, [](int nRetry) { return QString::asprintf("%02d", nRetry); },
                  [this](QString& strFrame) { Write(strFrame); })
    {
        connect(&m_watch, &CResendWatch::Acknowledged, this, [this] { ++m_nAcknowledged; });
        connect(&m_watch, &CResendWatch::GaveUp, this, [this] { ++m_nGaveUp; });
        connect(&m_watch, &CResendWatch::SendFailed, this, [this](const QString& strWhy, bool bPortFault) {
            m_failures.append(strWhy);
            m_bPortFault = bPortFault;
        });
    }

    void Write(QString& strFrame)
    {
        if (m_nFailFromFrame >= 0 && m_counts.size() >= m_nFailFromFrame)
            throw CommError(QStringLiteral("the port is gone"));
        m_counts.append(strFrame);
        const QChar answer = m_counts.size() <= m_strAnswers.size() ? m_strAnswers[m_counts.size() - 1] : u'S';
        if (answer == u'S')
            return;
        QMetaObject::invokeMethod(
            this,
            [answer] {
                g_strReply = answer == u'A' ? QStringLiteral("4F 4B ") : QStringLiteral("45 52 ");
                ++g_nReceiveEvents;
            },
            Qt::QueuedConnection);
    }

    QString m_strAnswers;
    int m_nRetry = 0;
    bool m_bDone = false;
    bool m_bRetrying = false;
    CResendWatch m_watch;
    QStringList m_counts;
    int m_nAcknowledged = 0;
    int m_nGaveUp = 0;
    QStringList m_failures;
    bool m_bPortFault = false;
    int m_nFailFromFrame = -1;
};

} // namespace

class TestResendWatch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { g_strReply.clear(); }

    void answersAndResends_data()
    {
        QTest::addColumn<QString>("policy");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<QStringList>("counts");
        QTest::addColumn<int>("acknowledged");
        QTest::addColumn<int>("gaveUp");
        QTest::addColumn<bool>("running");
        QTest::newRow("point, acknowledged") << "point" << "A" << Counts(0, 0) << 1 << 0 << false;
        QTest::newRow("point, refused twice") << "point" << "RRA" << Counts(0, 2) << 1 << 0 << false;
        QTest::newRow("point, silent") << "point" << "" << Counts(0, 6) << 0 << 1 << false;
        QTest::newRow("point, refused throughout") << "point" << "RRRRRRRR" << Counts(0, 6) << 0 << 1 << false;
        QTest::newRow("point, answered by the last resend") << "point" << "SSSSSSA" << Counts(0, 6) << 0 << 1 << false;
        QTest::newRow("close, silent: count stays 00") << "close" << "" << QStringList(10, "00") << 0 << 1 << false;
        QTest::newRow("close, refused once") << "close" << "RA" << QStringList(2, "00") << 1 << 0 << false;
        QTest::newRow("sweep, acknowledged: ticks go on") << "sweep" << "A" << Counts(0, 0) << 1 << 0 << true;
        QTest::newRow("sweep, silent: waits") << "sweep" << "" << Counts(0, 0) << 0 << 0 << true;
        QTest::newRow("sweep, refused then silent") << "sweep" << "RR" << Counts(0, 2) << 0 << 0 << true;
        QTest::newRow("sweep, refused throughout") << "sweep" << "RRRRRRRRRRR" << Counts(0, 9) << 0 << 1 << false;
        QTest::newRow("sweep, silence limit: silent") << "sweep with a silence limit" << "" << Counts(0, 9) << 0 << 1
                                                      << false;
        QTest::newRow("sweep, silence limit: silent twice") << "sweep with a silence limit" << "SSA" << Counts(0, 2)
                                                            << 1 << 0 << true;
        QTest::newRow("sweep, silence limit: silent and refused") << "sweep with a silence limit" << "SRSA"
                                                                  << Counts(0, 3) << 1 << 0 << true;
        QTest::newRow("point, silence limit: resends as before") << "point with a silence limit" << "" << Counts(0, 6)
                                                                 << 0 << 1 << false;
        QTest::newRow("close, silence limit: resends as before") << "close with a silence limit" << "RA"
                                                                 << QStringList(2, "00") << 1 << 0 << false;
    }
    void answersAndResends()
    {
        QFETCH(QString, policy);
        QFETCH(QString, answers);
        QFETCH(QStringList, counts);
        QFETCH(int, acknowledged);
        QFETCH(int, gaveUp);
        QFETCH(bool, running);
        WatchBench bench(PolicyNamed(policy), answers);
        bench.m_watch.Send();
        QVERIFY(bench.m_watch.IsRunning());
        QTRY_COMPARE_WITH_TIMEOUT(bench.m_counts.size(), counts.size(), kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(bench.m_nAcknowledged + bench.m_nGaveUp > 0 || running, kWaitMs);
        // Long enough for any frame that should not come.
        QTest::qWait(5 * kPeriodMs);
        QCOMPARE(bench.m_counts, counts);
        QCOMPARE(bench.m_nAcknowledged, acknowledged);
        QCOMPARE(bench.m_nGaveUp, gaveUp);
        QCOMPARE(bench.m_watch.IsRunning(), running);
        QCOMPARE(bench.m_bDone, acknowledged + gaveUp > 0);
        if (acknowledged + gaveUp > 0) {
            QCOMPARE(bench.m_nRetry, 0);
            QVERIFY(!bench.m_bRetrying);
        }
    }

    void earlierReplyAnswersNothing()
    {
        g_strReply = QStringLiteral("4F 4B ");
        WatchBench bench(PolicyNamed(QStringLiteral("point")), QString());
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
        bench.m_nFailFromFrame = 1;
        bench.m_watch.Send();
        QTRY_COMPARE_WITH_TIMEOUT(bench.m_failures.size(), 1, kWaitMs);
        QVERIFY(bench.m_bPortFault);
        QVERIFY(!bench.m_watch.IsRunning());
        QTest::qWait(5 * kPeriodMs);
        QCOMPARE(bench.m_failures, QStringList{QStringLiteral("the port is gone")});
        QCOMPARE(bench.m_nRetry, 0);
        QVERIFY(bench.m_bDone);
        QVERIFY(!bench.m_bRetrying);
    }

    void refusedFirstSendChangesNothing()
    {
        WatchBench bench(PolicyNamed(QStringLiteral("point")), QString());
        bench.m_nFailFromFrame = 0;
        QVERIFY_THROWS_EXCEPTION(CommError, bench.m_watch.Send());
        QVERIFY(!bench.m_watch.IsRunning());
        QVERIFY(!bench.m_bDone);
        QVERIFY(bench.m_failures.isEmpty());
    }
};

QTEST_MAIN(TestResendWatch)
#include "test_resend_watch.moc"
