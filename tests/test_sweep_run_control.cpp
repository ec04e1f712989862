#include "pages/run_flags.h"
#include "protocol/reported_word.h"
#include "pages/ms_comm.h"
#include "pages/reply_state.h"
#include "support/golden_frames.h"
#include "support/sealed.h"
#include "support/sweep_page_test.h"
#include "support/wire_log.h"

#include <QDeadlineTimer>
#include <QTest>

#include <functional>
#include <optional>

namespace {

QString ControlFrame(const QString& strCount, const QString& strCode)
{
    return Sealed(kFrameHeader + strCount + "40" + strCode + kFrameTrailer);
}

QStringList Counts(int nFirst, int nLast)
{
    QStringList counts;
    for (int n = nFirst; n <= nLast; ++n)
        counts.append(QString::asprintf("%02X", n));
    return counts;
}

} // namespace

// A sweep once it runs: Pause and Continue, the board's reports, the
// watches' resends and what ends them.
class TestSweepRunControl : public SweepPageTest {
    Q_OBJECT

private:
    // The watch has taken the board's 4F 4B as its answer. Blanks are gone
    // once a watch has read the text; with the watch before it stopped,
    // only the watch itself can have read it.
    void AwaitAcknowledged(int nWatch)
    {
        QTRY_VERIFY_WITH_TIMEOUT(g_strReply == QStringLiteral("4F4B")
                                     && (nWatch == CSweepPage::kScanWatch || !Page().IsWatchRunning(nWatch - 1)),
                                 kWaitMs);
    }

    // Scan, then Pause and Continue as far as the watch asks, each answered.
    void RunUpTo(int nWatch)
    {
        Click(Ui().btnScan);
        AwaitAcknowledged(CSweepPage::kScanWatch);
        if (nWatch >= CSweepPage::kPauseWatch) {
            Click(Ui().btnPause);
            AwaitAcknowledged(CSweepPage::kPauseWatch);
        }
        if (nWatch >= CSweepPage::kContinueWatch) {
            Click(Ui().btnPause);
            AwaitAcknowledged(CSweepPage::kContinueWatch);
        }
    }

    // Notes each new text of Current Frequency until done() holds.
    bool WatchCurrentFrequency(QStringList& shown, const std::function<bool()>& done)
    {
        QDeadlineTimer deadline(3 * kWaitMs);
        for (;;) {
            const QString strText = Ui().editCurrentFreq->text();
            if (shown.isEmpty() || shown.last() != strText)
                shown.append(strText);
            if (done())
                return true;
            if (deadline.hasExpired())
                return false;
            QTest::qWait(5);
        }
    }

    static void AddWatchRows()
    {
        QTest::addColumn<int>("watch");
        QTest::newRow("scan") << int(CSweepPage::kScanWatch);
        QTest::newRow("pause") << int(CSweepPage::kPauseWatch);
        QTest::newRow("continue") << int(CSweepPage::kContinueWatch);
    }

private Q_SLOTS:
    void init() { OpenSweepPage(); }
    void cleanup() { CloseWindow(); }

    void wholeSweepOnTheBoard()
    {
        // 100 to 300 MHz by 15.625 MHz, a step every 250 ms: Pause lands
        // mid-sweep, and no report overtakes the answer to a frame.
        Fixture().Board().SetReportInterval(250);
        Type(Ui().editStartFreq, QStringLiteral("100"));
        Type(Ui().editEndFreq, QStringLiteral("300"));
        Type(Ui().editAmplitude, QStringLiteral("1"));
        ChooseRow(10);

        Click(Ui().btnScan);
        VerifySweeping();
        QStringList shown;
        QVERIFY(WatchCurrentFrequency(shown, [this] { return Ui().editCurrentFreq->text().toDouble() >= 131.25; }));

        Click(Ui().btnPause);
        QCOMPARE(Ui().btnPause->text(), QStringLiteral("Continue"));
        AwaitAcknowledged(CSweepPage::kPauseWatch);
        QCOMPARE(Fixture().Board().CurrentMode(), CVirtualBoard::Mode::Paused);
        VerifySweeping();

        Click(Ui().btnPause);
        QCOMPARE(Ui().btnPause->text(), QStringLiteral("Pause"));
        QVERIFY(WatchCurrentFrequency(shown, [this] { return Ui().btnScan->isEnabled(); }));
        VerifyIdle();
        QCOMPARE(Ui().btnPause->text(), QStringLiteral("Pause"));
        QTRY_COMPARE_WITH_TIMEOUT(Ui().editCurrentFreq->text(), QStringLiteral("300"), kWaitMs);

        const QStringList steps{"115.625", "131.25", "146.875", "162.5", "178.125", "193.75", "209.375",
                                "225",     "240.625", "256.25", "271.875", "287.5", "300"};
        QCOMPARE(shown.takeFirst(), QStringLiteral("0"));
        QVERIFY2(shown.size() >= 3, qPrintable(shown.join(' ')));
        for (int i = 0; i < shown.size(); ++i) {
            QVERIFY2(steps.contains(shown[i]), qPrintable(shown[i]));
            QVERIFY(i == 0 || steps.indexOf(shown[i]) > steps.indexOf(shown[i - 1]));
        }
        QVERIFY(steps.indexOf(shown.last()) >= steps.indexOf(QStringLiteral("287.5")));

        const QStringList frames = Fixture().FrameTexts();
        PrintWireLog(Fixture().Board().Frames());
        qsizetype i = 0;
        QCOMPARE(frames.value(i++), kSweep100To300MhzBy15p625MFrame);
        QCOMPARE(frames.value(i++), kPauseFrame);
        QCOMPARE(frames.value(i++), kContinueFrame);
        QCOMPARE(i, frames.size());
        QVERIFY(Fixture().Messages().isEmpty());
    }

    void nineRefusalsThenSilence_data()
    {
        QTest::addColumn<int>("watch");
        QTest::addColumn<QString>("caption");
        QTest::newRow("scan") << int(CSweepPage::kScanWatch) << "Pause";
        QTest::newRow("pause") << int(CSweepPage::kPauseWatch) << "Continue";
        QTest::newRow("continue") << int(CSweepPage::kContinueWatch) << "Pause";
    }
    void nineRefusalsThenSilence()
    {
        QFETCH(int, watch);
        QFETCH(QString, caption);
        if (watch != CSweepPage::kScanWatch)
            RunUpTo(watch - 1);
        Fixture().Board().ClearFrames();
        Fixture().Board().Refuse(100);
        if (watch == CSweepPage::kScanWatch)
            Click(Ui().btnScan);
        else
            Click(Ui().btnPause);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().Board().Frames().size(), 10, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!Page().IsWatchRunning(watch), kWaitMs);
        QTest::qWait(300);
        const QList<ReceivedFrame> frames = Fixture().Board().Frames();
        PrintWireLog(frames);
        QStringList expected;
        for (const QString& strCount : Counts(0, 9)) {
            if (watch == CSweepPage::kScanWatch)
                expected.append(DefaultSweepFrame(strCount));
            else
                expected.append(ControlFrame(strCount, watch == CSweepPage::kPauseWatch ? "83" : "84"));
        }
        QCOMPARE(Fixture().FrameTexts(), expected);
        VerifySweeping();
        QCOMPARE(Ui().btnPause->text(), caption);
        QVERIFY(Fixture().Messages().isEmpty());
    }

    void reportedFrequency_data()
    {
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("arrived");
        QTest::newRow("100 MHz") << "19999999" << "100" << 0;
        QTest::newRow("250 MHz") << "40000000" << "250" << 0;
        QTest::newRow("399.9999999 MHz is below 400") << "66666666" << "400" << 0;
        QTest::newRow("9.99999978 MHz is not above 10") << "028F5C28" << "0" << 1;
        QTest::newRow("400.9 MHz") << "66A161CA" << "0" << 1;
        QTest::newRow("last eight digits") << "0119999999" << "100" << 0;
    }
    void reportedFrequency()
    {
        QFETCH(QString, report);
        QFETCH(QString, shown);
        QFETCH(int, arrived);
        RunUpTo(CSweepPage::kScanWatch);
        Fixture().Board().SendRaw(QByteArray::fromHex(report.toLatin1()));
        // The watch has read the report once its blanks are gone.
        QTRY_COMPARE_WITH_TIMEOUT(g_strReply, report, kWaitMs);
        QCOMPARE(Ui().editCurrentFreq->text(), shown);
        QCOMPARE(g_bReplyArrived, arrived);
        VerifySweeping();
    }

    void reportedTuningWord_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qlonglong>("word");
        QTest::newRow("eight digits") << "19999999" << qlonglong(0x19999999);
        QTest::newRow("last eight of ten") << "0119999999" << qlonglong(0x19999999);
        QTest::newRow("short") << "4F4B" << qlonglong(0x4F4B);
        QTest::newRow("lower case") << "66a161ca" << qlonglong(0x66A161CA);
        QTest::newRow("stops at a non-digit") << "1999X999" << qlonglong(0x1999);
        QTest::newRow("empty") << "" << qlonglong(-1);
        QTest::newRow("no digit") << "XYZ" << qlonglong(-1);
    }
    void reportedTuningWord()
    {
        QFETCH(QString, text);
        QFETCH(qlonglong, word);
        const std::optional<quint32> read = ReportedTuningWord(text);
        QCOMPARE(read.has_value(), word >= 0);
        if (read)
            QCOMPARE(qlonglong(*read), word);
    }

    void endOfSweep_data()
    {
        QTest::addColumn<int>("watch");
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("idle");
        QTest::addColumn<QString>("caption");
        QTest::newRow("scan watch, 299 MHz") << int(CSweepPage::kScanWatch) << "4C8B4395" << "299" << false << "Pause";
        QTest::newRow("pause watch, 299 MHz") << int(CSweepPage::kPauseWatch) << "4C8B4395" << "299" << true
                                              << "Continue";
        QTest::newRow("continue watch, 299 MHz") << int(CSweepPage::kContinueWatch) << "4C8B4395" << "299" << true
                                                 << "Pause";
        QTest::newRow("continue watch, 298 MHz") << int(CSweepPage::kContinueWatch) << "4C49BA5E" << "298" << false
                                                 << "Pause";
    }
    void endOfSweep()
    {
        QFETCH(int, watch);
        QFETCH(QString, report);
        QFETCH(QString, shown);
        QFETCH(bool, idle);
        QFETCH(QString, caption);
        Type(Ui().editStartFreq, QStringLiteral("100"));
        Type(Ui().editEndFreq, QStringLiteral("300"));
        ChooseRow(7);
        RunUpTo(watch);
        Fixture().Board().SendRaw(QByteArray::fromHex(report.toLatin1()));
        QTRY_COMPARE_WITH_TIMEOUT(Ui().editCurrentFreq->text(), shown, kWaitMs);
        if (idle)
            VerifyIdle();
        else
            VerifySweeping();
        QCOMPARE(Ui().btnPause->text(), caption);
        QVERIFY(Page().IsWatchRunning(watch));
    }

    void singlePointSendShutsTheWatchDown_data()
    {
        AddWatchRows();
    }
    void singlePointSendShutsTheWatchDown()
    {
        QFETCH(int, watch);
        RunUpTo(watch);
        QVERIFY(Page().IsWatchRunning(watch));
        Fixture().Window().Controls().tabPages->setCurrentIndex(0);
        Click(Fixture().Window().SinglePointPage().Controls().btnSend);
        QTRY_VERIFY_WITH_TIMEOUT(!Page().IsWatchRunning(watch), kWaitMs);
        VerifyIdle();
        QCOMPARE(Ui().btnPause->text(), QStringLiteral("Pause"));
        QCOMPARE(g_bPauseNext, 1);
        QCOMPARE(g_bScanning, 0);
    }

    void closeAcknowledgedReturnsToIdle_data()
    {
        AddWatchRows();
    }
    void closeAcknowledgedReturnsToIdle()
    {
        QFETCH(int, watch);
        RunUpTo(watch);
        // The running sweep watch strips the answer's blanks before the
        // Close watch reads it; the Close watch must still take it.
        Fixture().Window().Controls().btnClose->click();
        QTRY_VERIFY_WITH_TIMEOUT(Ui().btnScan->isEnabled(), kWaitMs);
        VerifyIdle();
        QCOMPARE(Ui().btnPause->text(), QStringLiteral("Pause"));
        QCOMPARE(g_bPauseNext, 1);
        QCOMPARE(g_bCloseAcked, 0);
        QVERIFY(Page().IsWatchRunning(watch));
    }

    // While "out of scale" is open the field still holds the typed value;
    // the watch goes on resending and must not send it. The resend's own
    // message opens over it, and the resend waits until it is closed.
    void resendWhileAmplitudeIsCorrectedSendsFourVolts()
    {
        const QString strSwap = QStringLiteral("Stop frequency is greater than  start frequency");
        Fixture().Board().StaySilent(1);
        Click(Ui().btnScan);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts().size(), 1, kWaitMs);
        Type(Ui().editStartFreq, QStringLiteral("300"));
        Type(Ui().editEndFreq, QStringLiteral("100"));
        Fixture().Board().SendRaw(QByteArray::fromHex("4552"));
        QMap<QString, qsizetype> framesWhileOpen;
        int nOpen = 0;
        int nMostOpen = 0;
        Fixture().SetWhileMessageOpen([&](const QString& strText) {
            nMostOpen = std::max(nMostOpen, ++nOpen);
            const qsizetype nBefore = Fixture().Board().Frames().size();
            if (strText == strSwap)
                QTest::qWait(300);
            else
                QTRY_COMPARE_WITH_TIMEOUT(Fixture().Board().Frames().size(), nBefore + 1, kWaitMs);
            framesWhileOpen[strText] = Fixture().Board().Frames().size() - nBefore;
            --nOpen;
        });
        Type(Ui().editAmplitude, QStringLiteral("9"));
        QCOMPARE(Fixture().Messages(), (QStringList{QStringLiteral("out of scale"), strSwap}));
        QCOMPARE(nMostOpen, 2);
        QCOMPARE(framesWhileOpen, (QMap<QString, qsizetype>{{QStringLiteral("out of scale"), 1}, {strSwap, 0}}));
        QCOMPARE(Fixture().FrameTexts().last().mid(8, 24), QStringLiteral("0103199999994CCCCCCC3FFE"));
        for (const ReceivedFrame& frame : Fixture().Board().Frames())
            QVERIFY2(frame.Hex().mid(28, 4) <= QStringLiteral("3FFE"), qPrintable(frame.Hex()));
    }

    void failedResendEndsTheWatch()
    {
        Fixture().Board().Refuse(1);
        // The refusal arrives, then the port goes: the resend must fail.
        QMetaObject::Connection closer;
        closer = connect(&g_msComm, &CMSComm::OnComm, this, [&closer] {
            QObject::disconnect(closer);
            g_msComm.SetPortOpen(false);
        });
        Click(Ui().btnScan);
        QTRY_VERIFY_WITH_TIMEOUT(!Page().IsWatchRunning(CSweepPage::kScanWatch), kWaitMs);
        QTest::qWait(300);
        QCOMPARE(Fixture().Messages().size(), 1);
        QCOMPARE(Fixture().FrameTexts(), QStringList{DefaultSweepFrame()});
        // Nothing is left to end the sweep, so the page is idle again.
        VerifyIdle();
    }
};

QTEST_MAIN(TestSweepRunControl)
#include "test_sweep_run_control.moc"
