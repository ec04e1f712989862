#include "pages/run_flags.h"
#include "protocol/reported_word.h"
#include "serial/ms_comm.h"
#include "serial/reply_state.h"
#include "support/golden_frames.h"
#include "support/sealed.h"
#include "support/window_on_board.h"
#include "support/wire_log.h"

#include <QDeadlineTimer>
#include <QLineEdit>
#include <QTest>

#include <functional>
#include <optional>

namespace {

constexpr int kWaitMs = 10000;
// Long enough that the board never reports unless a test asks it to.
constexpr int kNoReportsMs = 3600 * 1000;

const QString kIntervalMessage =
    QStringLiteral("Time interval must be a whole number of at least 1 (in units of 20 ns).");
const QString kSwapMessage = QStringLiteral("Stop frequency is greater than  start frequency");

QString SweepFrame(const QString& strCount, const QString& strWords, const QString& strAmplitude,
                   const QString& strStepCode, const QString& strInterval, const QString& strCircular)
{
    return Sealed(kFrameHeader + strCount + "03" + strWords + strAmplitude + strStepCode + strInterval + strCircular
                  + kFrameTrailer);
}

// Start 10 and end 10, as empty fields give; amplitude 0, no row, count 5.
QString DefaultSweepFrame(const QString& strCount = QStringLiteral("00"))
{
    return SweepFrame(strCount, "028F5C28028F5C28", "0000", "06", "00000005", "00");
}

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

class TestSweepPage : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowOnBoard> m_pFixture;

    WindowOnBoard& Fixture() { return *m_pFixture; }
    CSweepPage& Page() { return m_pFixture->Window().SweepPage(); }
    const Ui::CSweepPage& Ui() { return Page().Controls(); }

    void Type(QLineEdit* pEdit, const QString& strText)
    {
        pEdit->selectAll();
        QTest::keyClick(pEdit, Qt::Key_Delete);
        QTest::keyClicks(pEdit, strText);
    }

    // -2 leaves the list unopened, -1 opens and closes it without a choice.
    void ChooseRow(int nRow)
    {
        if (nRow == -2)
            return;
        Ui().cmbInterval->showPopup();
        if (nRow >= 0)
            Ui().cmbInterval->setCurrentIndex(nRow);
        Ui().cmbInterval->hidePopup();
    }

    void Click(QAbstractButton* pButton) { QTest::mouseClick(pButton, Qt::LeftButton); }

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

    void VerifyIdle()
    {
        QVERIFY(Ui().btnScan->isEnabled());
        QVERIFY(!Ui().btnPause->isEnabled());
    }

    void VerifySweeping()
    {
        QVERIFY(!Ui().btnScan->isEnabled());
        QVERIFY(Ui().btnPause->isEnabled());
    }

private Q_SLOTS:
    void init()
    {
        m_pFixture = std::make_unique<WindowOnBoard>();
        Fixture().Board().SetReportInterval(kNoReportsMs);
        Fixture().Window().Controls().tabPages->setCurrentIndex(1);
        QVERIFY(Page().isVisible());
    }
    void cleanup() { m_pFixture.reset(); }

    void startsIdle()
    {
        QCOMPARE(Ui().editAmplitude->text(), QStringLiteral("0"));
        QCOMPARE(Ui().editTimeInterval->text(), QStringLiteral("5"));
        QCOMPARE(Ui().lblIntervalValue->text(), QStringLiteral("100"));
        QCOMPARE(Ui().lblIntervalUnit->text(), QStringLiteral("nS"));
        QCOMPARE(Ui().editCurrentFreq->text(), QStringLiteral("0"));
        QVERIFY(Ui().editStartFreq->text().isEmpty());
        QVERIFY(Ui().editEndFreq->text().isEmpty());
        QCOMPARE(Ui().cmbInterval->count(), 0);
        VerifyIdle();
        QCOMPARE(Ui().btnPause->text(), QStringLiteral("Pause"));
        QCOMPARE(g_bPauseNext, 1);
        QVERIFY(!Ui().btnOk->isVisible());
        QCOMPARE(Ui().editTimeInterval->accessibleName(), QStringLiteral("Time Interval(＜1s)"));
    }

    void sweepFrame_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("amplitude");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<bool>("circular");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QStringList>("messages");
        const QString words100To300 = QStringLiteral("199999994CCCCCCC");
        QTest::newRow("complete frame") << "100" << "300" << "1" << 7 << "5" << false << kSweep100To300MhzBy1953kFrame
                                        << "100 300 1" << QStringList();
        QTest::newRow("end below start swapped") << "300" << "100" << "1" << 7 << "5" << false
                                                 << kSweep100To300MhzBy1953kFrame << "100 300 1"
                                                 << QStringList{kSwapMessage};
        QTest::newRow("equal accepted") << "200" << "200" << "1" << 7 << "5" << false
                                        << SweepFrame("00", "3333333333333333", "0FFF", "07", "00000005", "00")
                                        << "200 200 1" << QStringList();
        QTest::newRow("clamped to 10..400") << "5" << "500" << "" << -2 << "5" << false
                                            << SweepFrame("00", "028F5C2866666666", "0000", "06", "00000005", "00")
                                            << "10 400 0" << QStringList();
        QTest::newRow("letters read as 10") << "abc" << "300" << "" << -2 << "5" << false
                                            << SweepFrame("00", "028F5C284CCCCCCC", "0000", "06", "00000005", "00")
                                            << "10 300 0" << QStringList();
        QTest::newRow("fraction cut") << "123.9" << "300" << "" << -2 << "5" << false
                                      << SweepFrame("00", "1F7CED914CCCCCCC", "0000", "06", "00000005", "00")
                                      << "123 300 0" << QStringList();
        QTest::newRow("ten characters cut to nine")
            << "0000000100" << "300" << "" << -2 << "5" << false
            << SweepFrame("00", "028F5C284CCCCCCC", "0000", "06", "00000005", "00") << "10 300 0" << QStringList();
        QTest::newRow("list opened without a choice") << "100" << "300" << "" << -1 << "5" << false
                                                      << SweepFrame("00", words100To300, "0000", "06", "00000005", "00")
                                                      << "100 300 0" << QStringList();
        QTest::newRow("row 125M") << "100" << "300" << "" << 13 << "5" << false
                                  << SweepFrame("00", words100To300, "0000", "0D", "00000005", "00") << "100 300 0"
                                  << QStringList();
        QTest::newRow("row 15k") << "100" << "300" << "" << 0 << "5" << false
                                 << SweepFrame("00", words100To300, "0000", "00", "00000005", "00") << "100 300 0"
                                 << QStringList();
        QTest::newRow("count 50000000 sent as typed") << "100" << "300" << "" << 0 << "50000000" << false
                                                      << SweepFrame("00", words100To300, "0000", "00", "02FAF080", "00")
                                                      << "100 300 0" << QStringList();
        QTest::newRow("circular") << "100" << "300" << "" << 0 << "5" << true
                                  << SweepFrame("00", words100To300, "0000", "00", "00000005", "01") << "100 300 0"
                                  << QStringList();
        QTest::newRow("4 V") << "100" << "300" << "4" << 0 << "5" << false
                             << SweepFrame("00", words100To300, "3FFE", "00", "00000005", "00") << "100 300 4"
                             << QStringList();
        QTest::newRow("4.5 V refused, 4 V sent") << "100" << "300" << "4.5" << 0 << "5" << false
                                                 << SweepFrame("00", words100To300, "3FFE", "00", "00000005", "00")
                                                 << "100 300 4" << QStringList{"out of scale"};
        QTest::newRow("-3 V sent as 0 V") << "100" << "300" << "-3" << 0 << "5" << false
                                          << SweepFrame("00", words100To300, "0000", "00", "00000005", "00")
                                          << "100 300 0" << QStringList();
    }
    void sweepFrame()
    {
        QFETCH(QString, start);
        QFETCH(QString, end);
        QFETCH(QString, amplitude);
        QFETCH(int, row);
        QFETCH(QString, interval);
        QFETCH(bool, circular);
        QFETCH(QString, frame);
        QFETCH(QString, fields);
        QFETCH(QStringList, messages);
        Type(Ui().editStartFreq, start);
        Type(Ui().editEndFreq, end);
        if (!amplitude.isEmpty())
            Type(Ui().editAmplitude, amplitude);
        ChooseRow(row);
        Type(Ui().editTimeInterval, interval);
        if (circular)
            Click(Ui().chkCircular);

        Click(Ui().btnScan);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts(), QStringList{frame}, kWaitMs);
        const QStringList shown{Ui().editStartFreq->text(), Ui().editEndFreq->text(), Ui().editAmplitude->text()};
        QCOMPARE(shown.join(' '), fields);
        QCOMPARE(Fixture().Messages(), messages);
        VerifySweeping();
        QCOMPARE(Ui().btnPause->text(), QStringLiteral("Pause"));
        QCOMPARE(g_bScanning, 1);
    }

    void refusedTimeInterval_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::newRow("-1") << "-1";
        QTest::newRow("0") << "0";
        QTest::newRow("x") << "x";
        QTest::newRow("empty") << "";
    }
    void refusedTimeInterval()
    {
        QFETCH(QString, interval);
        Type(Ui().editStartFreq, QStringLiteral("300"));
        Type(Ui().editEndFreq, QStringLiteral("100"));
        Type(Ui().editTimeInterval, interval);
        Click(Ui().btnScan);
        QCOMPARE(Fixture().Messages(), QStringList{kIntervalMessage});
        QCOMPARE(Ui().editTimeInterval->text(), interval);
        QCOMPARE(Ui().editStartFreq->text(), QStringLiteral("300"));
        QCOMPARE(Ui().editEndFreq->text(), QStringLiteral("100"));
        VerifyIdle();
        QCOMPARE(g_bScanning, 0);

        // The port keeps the order of writes: a frame from the refused Scan
        // would come first.
        Fixture().ClearMessages();
        Type(Ui().editTimeInterval, QStringLiteral("5"));
        Click(Ui().btnScan);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts().size(), 1, kWaitMs);
        QCOMPARE(Fixture().FrameTexts(),
                 QStringList{SweepFrame("00", "199999994CCCCCCC", "0000", "06", "00000005", "00")});
        QCOMPARE(Fixture().Messages(), QStringList{kSwapMessage});
    }

    void timeIntervalDisplay_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("unit");
        QTest::newRow("1") << "" << "1" << "20.000000" << "nS";
        QTest::newRow("49") << "" << "49" << "980.000000" << "nS";
        QTest::newRow("50") << "" << "50" << "1.000000" << "uS";
        QTest::newRow("12345") << "" << "12345" << "246.900012" << "uS";
        QTest::newRow("49999") << "" << "49999" << "999.980047" << "uS";
        QTest::newRow("50000") << "" << "50000" << "1.000000" << "mS";
        QTest::newRow("49999999") << "" << "49999999" << "999.999977" << "mS";
        QTest::newRow("50000000") << "" << "50000000" << "1.000000" << "S";
        QTest::newRow("-1") << "" << "-1" << "-20.000000" << "nS";
        QTest::newRow("beyond 32 bits") << "" << "2147483647" << "42.949672" << "S";
        QTest::newRow("no number keeps the display") << "49" << "x" << "980.000000" << "nS";
    }
    void timeIntervalDisplay()
    {
        QFETCH(QString, before);
        QFETCH(QString, count);
        QFETCH(QString, value);
        QFETCH(QString, unit);
        if (!before.isEmpty())
            Type(Ui().editTimeInterval, before);
        Type(Ui().editTimeInterval, count);
        QCOMPARE(Ui().lblIntervalValue->text(), value);
        QCOMPARE(Ui().lblIntervalUnit->text(), unit);
    }

    void amplitudeBar_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("word");
        QTest::newRow("page right from 0") << "" << int(QAbstractSlider::SliderPageStepAdd) << 4 << "4.000" << "3FFE";
        QTest::newRow("line right ignores typed 2.5") << "2.5" << int(QAbstractSlider::SliderSingleStepAdd) << 1
                                                     << "1.000" << "0FFF";
        QTest::newRow("line left at 0") << "3" << int(QAbstractSlider::SliderSingleStepSub) << 0 << "0.000" << "0000";
        QTest::newRow("right end keeps the position") << "3" << int(QAbstractSlider::SliderToMaximum) << 0 << "0.000"
                                                      << "0000";
    }
    void amplitudeBar()
    {
        QFETCH(QString, typed);
        QFETCH(int, action);
        QFETCH(int, position);
        QFETCH(QString, shown);
        QFETCH(QString, word);
        if (!typed.isEmpty())
            Type(Ui().editAmplitude, typed);
        Ui().scrollAmplitude->triggerAction(static_cast<QAbstractSlider::SliderAction>(action));
        QCOMPARE(Ui().scrollAmplitude->value(), position);
        QCOMPARE(Ui().editAmplitude->text(), shown);

        Click(Ui().btnScan);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts().size(), 1, kWaitMs);
        QCOMPARE(Fixture().FrameTexts().first().mid(28, 4), word);
    }

    void barRestoresCircularOfLastScan()
    {
        QScrollBar* pBar = Ui().scrollAmplitude;
        Click(Ui().chkCircular);
        pBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QVERIFY(!Ui().chkCircular->isChecked());

        Click(Ui().chkCircular);
        Click(Ui().btnScan);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts().size(), 1, kWaitMs);
        QCOMPARE(Fixture().FrameTexts().first().mid(42, 2), QStringLiteral("01"));
        pBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QVERIFY(Ui().chkCircular->isChecked());
        Click(Ui().chkCircular);
        pBar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QVERIFY(Ui().chkCircular->isChecked());
        QCOMPARE(Ui().editAmplitude->text(), QStringLiteral("1.000"));
    }

    void currentFrequencyLoadedByScan_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a number") << "123.5" << "123.5";
        QTest::newRow("blanks around a number") << " 42 " << "42";
        QTest::newRow("letters keep the value") << "abc" << "0";
        QTest::newRow("a number and more keeps the value") << "2.5V" << "0";
    }
    void currentFrequencyLoadedByScan()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        Type(Ui().editCurrentFreq, typed);
        Click(Ui().btnScan);
        // The bar pushes every member, the one Scan loaded among them.
        Ui().scrollAmplitude->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(Ui().editCurrentFreq->text(), shown);
        QVERIFY(Fixture().Messages().isEmpty());
    }

    void intervalListRebuiltOnEveryOpening()
    {
        const QStringList texts{"15k", "30k", "61k", "122k", "244k", "488k", "976k", "1953k", "3906k", "7812k",
                                "15.625M", "31.25M", "62.5M", "125M"};
        QCOMPARE(Ui().cmbInterval->count(), 0);
        for (int nOpening = 0; nOpening < 2; ++nOpening) {
            Ui().cmbInterval->showPopup();
            QStringList listed;
            for (int i = 0; i < Ui().cmbInterval->count(); ++i)
                listed.append(Ui().cmbInterval->itemText(i));
            QCOMPARE(listed, texts);
            QCOMPARE(Ui().cmbInterval->currentIndex(), -1);
            QVERIFY(Ui().cmbInterval->currentText().isEmpty());
            Ui().cmbInterval->setCurrentIndex(3);
            Ui().cmbInterval->hidePopup();
            QCOMPARE(Ui().cmbInterval->currentText(), QStringLiteral("122k"));
        }
        ChooseRow(-1);
        QCOMPARE(Ui().cmbInterval->currentIndex(), -1);
        Click(Ui().btnScan);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts(), QStringList{DefaultSweepFrame()}, kWaitMs);
    }

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

QTEST_MAIN(TestSweepPage)
#include "test_sweep_page.moc"
