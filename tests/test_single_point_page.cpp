#include "pages/run_flags.h"
#include "pages/ms_comm.h"
#include "pages/reply_state.h"
#include "support/golden_frames.h"
#include "support/window_on_board.h"
#include "support/wire_log.h"

#include <QLineEdit>
#include <QTest>

namespace {

QStringList Counts(const QList<ReceivedFrame>& frames)
{
    QStringList counts;
    for (const ReceivedFrame& frame : frames)
        counts.append(QString::asprintf("%02X", frame.Retry()));
    return counts;
}

} // namespace

class TestSinglePointPage : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowOnBoard> m_pFixture;

    WindowOnBoard& Fixture() { return *m_pFixture; }
    CSinglePointPage& Page() { return m_pFixture->Window().SinglePointPage(); }
    const Ui::CSinglePointPage& Ui() { return Page().Controls(); }

    void Type(QLineEdit* pEdit, const QString& strText)
    {
        pEdit->selectAll();
        QTest::keyClick(pEdit, Qt::Key_Delete);
        QTest::keyClicks(pEdit, strText);
    }

    void SetField(QLineEdit* pEdit, const QString& strText) { pEdit->setText(strText); }

private Q_SLOTS:
    void init() { m_pFixture = std::make_unique<WindowOnBoard>(); }
    void cleanup() { m_pFixture.reset(); }

    void startsWithZerosAndTheBarsAtTheirLowerEnds()
    {
        QCOMPARE(Ui().editAmplitude->text(), QStringLiteral("0"));
        QCOMPARE(Ui().editFrequency->text(), QStringLiteral("0"));
        QCOMPARE(Ui().scrollAmplitude->value(), 0);
        QCOMPARE(Ui().scrollFrequency->value(), 10);
        QVERIFY(!Ui().btnOk->isVisible());
        QCOMPARE(Ui().editAmplitude->accessibleName(), QStringLiteral("Amplitude(0--4V)"));
        QCOMPARE(Ui().editFrequency->accessibleName(), QStringLiteral("Frequency(10--400MHz)"));
        QCOMPARE(Ui().btnSend->text(), QStringLiteral("发送"));
    }

    void sendComposesTheFrame_data()
    {
        QTest::addColumn<QString>("amplitude");
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("amplitudeShown");
        QTest::addColumn<QString>("frequencyShown");
        QTest::newRow("start-up values") << "0" << "0" << kPoint0V10MhzFrame << "0" << "10";
        QTest::newRow("4 V at 400 MHz") << "4" << "400" << kPoint4V400MhzFrame << "4" << "400";
        QTest::newRow("1 V at 100 MHz") << "1" << "100" << kPoint1V100MhzFrame << "1" << "100";
        QTest::newRow("4.5 V passes") << "4.5" << "5" << kPoint4p5V10MhzFrame << "4.5" << "10";
        QTest::newRow("400.9 MHz passes") << "0" << "400.9" << kPoint0V400p9MhzFrame << "0" << "400.9";
        QTest::newRow("below 0 V corrected to 0") << "-0.5" << "0" << kPoint0V10MhzFrame << "0" << "10";
        QTest::newRow("text without a number") << "volts" << "abc" << kPoint0V10MhzFrame << "volts" << "10";
    }
    void sendComposesTheFrame()
    {
        QFETCH(QString, amplitude);
        QFETCH(QString, frequency);
        QFETCH(QString, frame);
        QFETCH(QString, amplitudeShown);
        QFETCH(QString, frequencyShown);
        {
            // Set straight, as a paste would; typing is covered below.
            const QSignalBlocker amplitudeBlocker(Ui().editAmplitude);
            const QSignalBlocker frequencyBlocker(Ui().editFrequency);
            SetField(Ui().editAmplitude, amplitude);
            SetField(Ui().editFrequency, frequency);
        }
        QTest::mouseClick(Ui().btnSend, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts(), QStringList{frame}, 5000);
        QCOMPARE(Ui().editAmplitude->text(), amplitudeShown);
        QCOMPARE(Ui().editFrequency->text(), frequencyShown);
        QVERIFY(Fixture().Messages().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!Page().IsWatchRunning(), 5000);
        QCOMPARE(Fixture().FrameTexts().size(), 1);
    }

    void typedValuesOutOfRange_data()
    {
        QTest::addColumn<bool>("amplitudeField");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("bar");
        QTest::newRow("amplitude 5") << true << "5" << "out of scale" << "4" << 4;
        QTest::newRow("amplitude -1") << true << "-1" << "out of scale" << "0" << 0;
        QTest::newRow("amplitude 4.5 passes") << true << "4.5" << "" << "4.5" << 4;
        QTest::newRow("frequency 500") << false << "500" << "freq out of scale" << "400.00000" << 400;
        QTest::newRow("frequency 5 passes") << false << "5" << "" << "5" << 10;
        QTest::newRow("frequency 250") << false << "250" << "" << "250" << 250;
    }
    void typedValuesOutOfRange()
    {
        QFETCH(bool, amplitudeField);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QFETCH(int, bar);
        Type(amplitudeField ? Ui().editAmplitude : Ui().editFrequency, typed);
        QCOMPARE(Fixture().Messages(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE((amplitudeField ? Ui().editAmplitude : Ui().editFrequency)->text(), shown);
        QCOMPARE((amplitudeField ? Ui().scrollAmplitude : Ui().scrollFrequency)->value(), bar);
        QVERIFY(Fixture().FrameTexts().isEmpty());
    }

    void scrollBars_data()
    {
        QTest::addColumn<bool>("amplitudeBar");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("shown");
        QTest::newRow("amplitude line right at 4") << true << 4 << int(QAbstractSlider::SliderSingleStepAdd) << 4 << "4.000";
        QTest::newRow("amplitude line left") << true << 3 << int(QAbstractSlider::SliderSingleStepSub) << 2 << "2.000";
        QTest::newRow("amplitude page right") << true << 0 << int(QAbstractSlider::SliderPageStepAdd) << 4 << "4.000";
        QTest::newRow("frequency page left at 15") << false << 15 << int(QAbstractSlider::SliderPageStepSub) << 10
                                                   << "10.000";
        QTest::newRow("frequency page right") << false << 250 << int(QAbstractSlider::SliderPageStepAdd) << 260
                                              << "260.000";
        QTest::newRow("frequency to the end keeps") << false << 123 << int(QAbstractSlider::SliderToMaximum) << 123
                                                    << "123.000";
    }
    void scrollBars()
    {
        QFETCH(bool, amplitudeBar);
        QFETCH(int, start);
        QFETCH(int, action);
        QFETCH(int, position);
        QFETCH(QString, shown);
        QScrollBar* pBar = amplitudeBar ? Ui().scrollAmplitude : Ui().scrollFrequency;
        pBar->setValue(start);
        pBar->triggerAction(static_cast<QAbstractSlider::SliderAction>(action));
        QCOMPARE(pBar->value(), position);
        QCOMPARE((amplitudeBar ? Ui().editAmplitude : Ui().editFrequency)->text(), shown);
        QVERIFY(Fixture().Messages().isEmpty());
    }

    void thumbDragIsFollowedByTheField()
    {
        Ui().scrollFrequency->setSliderDown(true);
        for (const int nPos : {50, 120, 333}) {
            Ui().scrollFrequency->setSliderPosition(nPos);
            QCOMPARE(Ui().editFrequency->text(), QString::asprintf("%d.000", nPos));
        }
        Ui().scrollFrequency->setSliderDown(false);
        QCOMPARE(Ui().scrollFrequency->value(), 333);
        QCOMPARE(Ui().editFrequency->text(), QStringLiteral("333.000"));

        QTest::mouseClick(Ui().btnSend, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts().size(), 1, 5000);
        QVERIFY(Fixture().FrameTexts().first().mid(12, 8) == QStringLiteral("553F7CED"));
    }

    void silentBoardGetsSevenFrames()
    {
        Fixture().Board().StaySilent(100);
        QTest::mouseClick(Ui().btnSend, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().Board().Frames().size(), 7, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!Page().IsWatchRunning(), 5000);
        QTest::qWait(600);
        const QList<ReceivedFrame> frames = Fixture().Board().Frames();
        PrintWireLog(frames);
        QCOMPARE(Counts(frames), (QStringList{"00", "01", "02", "03", "04", "05", "06"}));
        QCOMPARE(frames.first().Hex(), kPoint0V10MhzFrame);
        QCOMPARE(frames[1].Hex(), kPoint0V10MhzResentFrame);
        QCOMPARE(Page().SendRetry(), 0);

        // The next Send starts again at 00.
        Fixture().Board().ClearFrames();
        Fixture().Board().StaySilent(0);
        QTest::mouseClick(Ui().btnSend, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts(), QStringList{kPoint0V10MhzFrame}, 5000);
    }

    void acknowledgingBoardGetsOneFrame()
    {
        QTest::mouseClick(Ui().btnSend, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!Page().IsWatchRunning(), 5000);
        QTest::qWait(600);
        const QList<ReceivedFrame> frames = Fixture().Board().Frames();
        PrintWireLog(frames);
        QCOMPARE(Fixture().FrameTexts(), QStringList{kPoint0V10MhzFrame});
        QCOMPARE(g_strReply, QStringLiteral("4F 4B "));
    }

    void refusalIsResentWithTheNextCount()
    {
        Fixture().Board().Refuse(2);
        QTest::mouseClick(Ui().btnSend, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!Page().IsWatchRunning(), 5000);
        QCOMPARE(Counts(Fixture().Board().Frames()), (QStringList{"00", "01", "02"}));
    }

    void sendWhileResendingKeepsTheCount()
    {
        Fixture().Board().StaySilent(100);
        QTest::mouseClick(Ui().btnSend, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().Board().Frames().size(), 4, 10000);
        QTest::mouseClick(Ui().btnSend, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!Page().IsWatchRunning(), 10000);
        QCOMPARE(Counts(Fixture().Board().Frames()), (QStringList{"00", "01", "02", "03", "03", "04", "05", "06"}));
    }

    void earlierAcknowledgementDoesNotAnswerANewFrame()
    {
        QTest::mouseClick(Ui().btnSend, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!Page().IsWatchRunning(), 5000);
        QCOMPARE(g_strReply, QStringLiteral("4F 4B "));

        Fixture().Board().ClearFrames();
        Fixture().Board().StaySilent(100);
        QTest::mouseClick(Ui().btnSend, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!Page().IsWatchRunning(), 5000);
        QCOMPARE(Counts(Fixture().Board().Frames()), (QStringList{"00", "01", "02", "03", "04", "05", "06"}));
    }

    void sendClearsTheSweepFlags()
    {
        g_bScanning = 1;
        g_bCloseAcked = 1;
        QTest::mouseClick(Ui().btnSend, Qt::LeftButton);
        QCOMPARE(g_bScanning, 0);
        QCOMPARE(g_bCloseAcked, 0);
    }

    void watchGoesOnWhileAMessageIsOpen()
    {
        Fixture().Board().StaySilent(100);
        QTest::mouseClick(Ui().btnSend, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().Board().Frames().size(), 1, 5000);
        int nFramesWhileOpen = 0;
        Fixture().SetWhileMessageOpen([this, &nFramesWhileOpen](const QString&) {
            const int nBefore = Fixture().Board().Frames().size();
            QTest::qWait(700);
            nFramesWhileOpen = Fixture().Board().Frames().size() - nBefore;
        });
        Type(Ui().editAmplitude, QStringLiteral("9"));
        QCOMPARE(Fixture().Messages(), QStringList{QStringLiteral("out of scale")});
        QVERIFY(nFramesWhileOpen >= 1);
        QTRY_VERIFY_WITH_TIMEOUT(!Page().IsWatchRunning(), 10000);
        QCOMPARE(Ui().editAmplitude->text(), QStringLiteral("4"));
        for (const ReceivedFrame& frame : Fixture().Board().Frames())
            QVERIFY(frame.verdict == SplitFrame::Verdict::Good);
        QCOMPARE(Fixture().Board().Frames().size(), 7);
    }

    void portClosedUnderTheWatchIsReportedOnce()
    {
        Fixture().Board().StaySilent(100);
        QTest::mouseClick(Ui().btnSend, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().Board().Frames().size(), 1, 5000);
        g_msComm.SetPortOpen(false);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().Messages().size(), 1, 5000);
        QVERIFY(!Page().IsWatchRunning());
        QTest::qWait(600);
        QCOMPARE(Fixture().Messages().size(), 1);
        QVERIFY(Fixture().Messages().first().contains(QStringLiteral("not open")));
        QCOMPARE(Page().SendRetry(), 0);
    }
};

QTEST_MAIN(TestSinglePointPage)
#include "test_single_point_page.moc"
