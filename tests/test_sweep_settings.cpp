#include "pages/run_flags.h"
#include "support/golden_frames.h"
#include "support/sweep_page_test.h"

#include <QTest>

namespace {

const QString kIntervalMessage =
    QStringLiteral("Time interval must be a whole number of at least 1 (in units of 20 ns).");
const QString kSwapMessage = QStringLiteral("Stop frequency is greater than  start frequency");

} // namespace

// What the sweep page's fields, list and bar put into the sweep frame.
class TestSweepSettings : public SweepPageTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { OpenSweepPage(); }
    void cleanup() { CloseWindow(); }

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

    // Loading stops at a text that is not a number: Circular Scan keeps its value.
    void currentFrequencyLoadedByScan_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("circular");
        QTest::newRow("a number") << "123.5" << "123.5" << "01";
        QTest::newRow("blanks around a number") << " 42 " << "42" << "01";
        QTest::newRow("letters stop the loading") << "abc" << "0" << "00";
        QTest::newRow("a number and more stops it") << "2.5V" << "0" << "00";
    }
    void currentFrequencyLoadedByScan()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, circular);
        Type(Ui().editCurrentFreq, typed);
        Type(Ui().editTimeInterval, QStringLiteral("7"));
        Click(Ui().chkCircular);
        Click(Ui().btnScan);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts().size(), 1, kWaitMs);
        QCOMPARE(Fixture().FrameTexts().first().mid(34, 10), QStringLiteral("00000007") + circular);
        // The bar pushes every member, those Scan loaded among them.
        Ui().scrollAmplitude->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(Ui().editCurrentFreq->text(), shown);
        QCOMPARE(Ui().editTimeInterval->text(), QStringLiteral("7"));
        QCOMPARE(Fixture().Messages(), circular == "01" ? QStringList() : QStringList{"Please enter a number."});
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
};

QTEST_MAIN(TestSweepSettings)
#include "test_sweep_settings.moc"
