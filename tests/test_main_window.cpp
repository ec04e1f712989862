#include "pages/message_box.h"
#include "pages/stepping/frequency_trace.h"
#include "pages/run_flags.h"
#include "pages/ms_comm.h"
#include "serial/port_table.h"
#include "pages/reply_state.h"
#include "support/golden_frames.h"
#include "support/raw_pty.h"
#include "support/window_on_board.h"

#include <QApplication>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QWheelEvent>

namespace {

// Point frames at 1 V of a logarithmic sweep from 25 to 400 MHz in five points.
const QString kPoint1V25MhzFrame = QStringLiteral("A55A5AA50001066666660FD75AA5A55AD6DD");
const QString kPoint1V50MhzFrame = QStringLiteral("A55A5AA500010CCCCCCC0FD75AA5A55A5CFB");
const QString kPoint1V200MhzFrame = QStringLiteral("A55A5AA50001333333330FD75AA5A55A6CCE");
const QString kPoint1V400MhzFrame = QStringLiteral("A55A5AA50001666666660FD75AA5A55A68DE");

QString DisplayText(WindowOnBoard& fixture)
{
    return fixture.Window().Controls().editReceiveData->toPlainText();
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowOnBoard> m_pFixture;

    WindowOnBoard& Fixture() { return *m_pFixture; }
    const Ui::CDriversControlDlg& Ui() { return m_pFixture->Window().Controls(); }

    // A second board, listed after the first in the port list just read.
    void ListSecondBoard(CVirtualBoard& second)
    {
        QVERIFY(second.Open());
        g_msComm.Ports().AddPreferred(second.PortName(), QStringLiteral("second board"));
        Ui().cmbComPort->showPopup();
        Ui().cmbComPort->hidePopup();
        QCOMPARE(Ui().cmbComPort->itemText(1), second.PortName());
    }

    const SteppingControls& SteppingTab()
    {
        Ui().tabPages->setCurrentIndex(2);
        const SteppingControls& stepping = Fixture().Window().SteppingPage().Controls();
        stepping.editStartFreq->setText(QStringLiteral("25"));
        stepping.editEndFreq->setText(QStringLiteral("400"));
        stepping.spinPoints->setValue(5);
        stepping.editAmplitude->setText(QStringLiteral("1"));
        stepping.editDwell->setText(QStringLiteral("0.05"));
        return stepping;
    }

    bool LoadPointFile(const QString& strCsv)
    {
        QTemporaryFile file;
        if (!file.open() || file.write(strCsv.toUtf8()) != strCsv.toUtf8().size())
            return false;
        file.close();
        return Fixture().Window().SteppingPage().LoadPoints(file.fileName());
    }

private Q_SLOTS:
    void init() { m_pFixture = std::make_unique<WindowOnBoard>(); }
    void cleanup() { m_pFixture.reset(); }

    void startsOnTheFirstPortWithTheSendingPage()
    {
        QCOMPARE(Fixture().Window().windowTitle(), QStringLiteral("Vevevar Azevora"));
        QVERIFY(g_msComm.GetPortOpen());
        QCOMPARE(g_msComm.GetCommPort(), short(1));
        QCOMPARE(g_msComm.PortLocation(), Fixture().Board().PortName());
        QCOMPARE(Ui().cmbComPort->currentIndex(), 0);
        QCOMPARE(Ui().tabPages->tabText(0), QStringLiteral("sending"));
        QCOMPARE(Ui().tabPages->tabText(1), QStringLiteral("scanning"));
        QCOMPARE(Ui().tabPages->tabText(2), QStringLiteral("stepping"));
        QVERIFY(Fixture().Window().SinglePointPage().isVisible());
        QVERIFY(!Fixture().Window().SweepPage().isVisible());
        QVERIFY(!Fixture().Window().SteppingPage().isVisible());
        QVERIFY(!Ui().btnStart->isEnabled());
        QVERIFY(!Ui().btnReset->isEnabled());
        QVERIFY(Fixture().Messages().isEmpty());
        QCOMPARE(g_bScanning, 0);
        QCOMPARE(g_bCloseAcked, 0);
    }

    void controlsCarryTheirIdsAndNames_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("name");
        QTest::newRow("tabs") << "tabPages" << 1000 << "sending / scanning / stepping";
        QTest::newRow("receive display") << "editReceiveData" << 1007 << "Receive Data：";
        QTest::newRow("port list") << "cmbComPort" << 1048 << "Select COM：";
        QTest::newRow("start") << "btnStart" << 1023 << "Start";
        QTest::newRow("reset") << "btnReset" << 1047 << "Reset";
        QTest::newRow("close") << "btnClose" << 1024 << "Close";
        QTest::newRow("empty") << "btnEmpty" << 1005 << "Empty";
    }
    void controlsCarryTheirIdsAndNames()
    {
        QFETCH(QString, object);
        QFETCH(int, id);
        QFETCH(QString, name);
        const QWidget* pControl = Fixture().Window().findChild<QWidget*>(object);
        QVERIFY(pControl);
        QCOMPARE(pControl->property("controlId").toInt(), id);
        QCOMPARE(pControl->accessibleName(), name);
    }

    void closeSendsItsFrameAndEmptiesTheDisplay()
    {
        Fixture().Board().SendRaw(QByteArray::fromHex("0102"));
        QTRY_COMPARE_WITH_TIMEOUT(DisplayText(Fixture()), QStringLiteral("01 02 "), 5000);

        Ui().btnClose->click();
        QCOMPARE(DisplayText(Fixture()), QString());
        QCOMPARE(g_strReply, QStringLiteral("01 02 "));
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts(), QStringList{kCloseFrame}, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(g_bCloseAcked, 1, 5000);
        QTest::qWait(500);
        QCOMPARE(Fixture().FrameTexts(), QStringList{kCloseFrame});
    }

    void emptyClearsOnlyTheDisplay()
    {
        Fixture().Board().SendRaw(QByteArray::fromHex("4F4B"));
        QTRY_COMPARE_WITH_TIMEOUT(DisplayText(Fixture()), QStringLiteral("4F 4B "), 5000);
        Ui().btnEmpty->click();
        QCOMPARE(DisplayText(Fixture()), QString());
        QCOMPARE(g_strReply, QStringLiteral("4F 4B "));
        QVERIFY(Fixture().FrameTexts().isEmpty());
    }

    void earlierAcknowledgementDoesNotAnswerANewClose()
    {
        Ui().btnClose->click();
        QTRY_COMPARE_WITH_TIMEOUT(g_bCloseAcked, 1, 5000);
        QCOMPARE(g_strReply, QStringLiteral("4F 4B "));

        g_bCloseAcked = 0;
        Fixture().Board().ClearFrames();
        Fixture().Board().StaySilent(100);
        Ui().btnClose->click();
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts().size(), 10, 10000);
        QTest::qWait(700);
        QCOMPARE(Fixture().FrameTexts(), QStringList(QList<QString>(10, kCloseFrame)));
        QCOMPARE(g_bCloseAcked, 0);
    }

    void closeWatchResendsUntilAcknowledged_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("acked");
        QTest::newRow("acknowledged") << 0 << 1 << 1;
        QTest::newRow("refused nine times") << 1 << 10 << 0;
        QTest::newRow("board silent") << 2 << 10 << 0;
    }
    void closeWatchResendsUntilAcknowledged()
    {
        QFETCH(int, fault);
        QFETCH(int, frames);
        QFETCH(int, acked);
        if (fault == 1)
            Fixture().Board().Refuse(100);
        if (fault == 2)
            Fixture().Board().StaySilent(100);
        Ui().btnClose->click();
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts().size(), frames, 10000);
        QTest::qWait(700);
        QCOMPARE(Fixture().FrameTexts(), QStringList(QList<QString>(frames, kCloseFrame)));
        QCOMPARE(g_bCloseAcked, acked);
    }

    void tabSwitchPlacesAndShowsThePages()
    {
        CSinglePointPage& single = Fixture().Window().SinglePointPage();
        CSweepPage& sweep = Fixture().Window().SweepPage();
        QCOMPARE(single.geometry(), QRect(10, 30, 500, 250));

        Ui().tabPages->setCurrentIndex(1);
        const QRect client = Ui().tabPages->rect();
        const QRect expected(10, 30, client.width() - 20, client.height() - 40);
        QVERIFY(!single.isVisible());
        QVERIFY(sweep.isVisible());
        QCOMPARE(sweep.geometry(), expected);

        Ui().tabPages->setCurrentIndex(2);
        QVERIFY(!single.isVisible());
        QVERIFY(!sweep.isVisible());
        QVERIFY(Fixture().Window().SteppingPage().isVisible());
        QCOMPARE(Fixture().Window().SteppingPage().geometry(), expected);

        Ui().tabPages->setCurrentIndex(0);
        QVERIFY(single.isVisible());
        QVERIFY(!sweep.isVisible());
        QVERIFY(!Fixture().Window().SteppingPage().isVisible());
        QCOMPARE(single.geometry(), expected);
        QVERIFY(g_msComm.GetPortOpen());
    }

    void dropDownRereadsThePortsAndClearsTheSelection()
    {
        CVirtualBoard second;
        QVERIFY(second.Open());
        g_msComm.Ports().AddPreferred(second.PortName(), QStringLiteral("second board"));

        Ui().cmbComPort->showPopup();
        QCOMPARE(Ui().cmbComPort->currentIndex(), -1);
        QVERIFY(Ui().cmbComPort->count() >= 2);
        QCOMPARE(Ui().cmbComPort->itemText(1), second.PortName());
        QCOMPARE(Ui().cmbComPort->itemData(1, Qt::ToolTipRole).toString(), QStringLiteral("second board"));
        Ui().cmbComPort->hidePopup();
        QCOMPARE(g_msComm.PortLocation(), Fixture().Board().PortName());

        // Picking the second port closes the first and opens the second.
        Ui().cmbComPort->setCurrentIndex(1);
        Q_EMIT Ui().cmbComPort->activated(1);
        QCOMPARE(g_msComm.GetCommPort(), short(2));
        QCOMPARE(g_msComm.PortLocation(), second.PortName());
        QVERIFY(g_msComm.GetPortOpen());
        Ui().btnClose->click();
        QTRY_COMPARE_WITH_TIMEOUT(second.Frames().size(), 1, 5000);
        QCOMPARE(second.Frames().first().Hex(), kCloseFrame);
        QVERIFY(Fixture().FrameTexts().isEmpty());
        QVERIFY(Fixture().Messages().isEmpty());
    }

    void portSwitchDropsWhatWaitedOnTheNewPort()
    {
        RawPty line;
        g_msComm.Ports().AddPreferred(line.SlavePath(), QString());
        Ui().cmbComPort->showPopup();
        line.Write(QByteArray::fromHex("AABB"));
        QTest::qWait(100);
        Q_EMIT Ui().cmbComPort->activated(1);
        QTest::qWait(600);
        QVERIFY(g_strReply.isEmpty() && DisplayText(Fixture()).isEmpty() && !g_bReplyArrived);
        line.Write(QByteArray::fromHex("0102"));
        QTRY_COMPARE_WITH_TIMEOUT(DisplayText(Fixture()), QStringLiteral("01 02 "), 5000);
    }

    void pickedEntryOpensTheDeviceItShowed()
    {
        CVirtualBoard second;
        ListSecondBoard(second);

        // Another adapter comes in ahead of it while the list is shown.
        CVirtualBoard newcomer;
        QVERIFY(newcomer.Open());
        g_msComm.Ports().ClearPreferred();
        for (const QString& strPort : {Fixture().Board().PortName(), newcomer.PortName(), second.PortName()})
            g_msComm.Ports().AddPreferred(strPort, QString());
        Ui().cmbComPort->setCurrentIndex(1);
        Q_EMIT Ui().cmbComPort->activated(1);
        QCOMPARE(g_msComm.PortLocation(), second.PortName());
        QVERIFY(g_msComm.GetPortOpen());
    }

    void wheelOverThePortListSwitchesNothing()
    {
        CVirtualBoard second;
        ListSecondBoard(second);
        Ui().cmbComPort->setCurrentIndex(0);
        for (const int nDelta : {-120, 120, -120}) {
            QWheelEvent wheel(QPointF(5, 5), Ui().cmbComPort->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, nDelta),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(Ui().cmbComPort, &wheel);
        }
        QCOMPARE(Ui().cmbComPort->currentIndex(), 0);
        QCOMPARE(g_msComm.PortLocation(), Fixture().Board().PortName());
        QVERIFY(g_msComm.GetPortOpen());
    }

    void pauseButtonIsNamedForWhatItDoesNow()
    {
        const Ui::CSweepPage& sweep = Fixture().Window().SweepPage().Controls();
        Ui().tabPages->setCurrentIndex(1);
        sweep.btnScan->click();
        QVERIFY(sweep.btnPause->isEnabled());
        for (const QString& strCaption : {QStringLiteral("Continue"), QStringLiteral("Pause")}) {
            sweep.btnPause->click();
            QCOMPARE(sweep.btnPause->text(), strCaption);
            QCOMPARE(sweep.btnPause->accessibleName(), strCaption);
        }
    }

    void portFaultIsShownOnceWhoeverMeetsIt()
    {
        QPushButton* pSend = Fixture().Window().SinglePointPage().Controls().btnSend;
        Fixture().Board().StaySilent(100);
        pSend->click();
        Ui().btnClose->click();
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts().size(), 2, 5000);
        // Both watches resend into the closed port on their next ticks.
        g_msComm.SetPortOpen(false);
        QTest::qWait(600);
        QCOMPARE(Fixture().Messages().size(), 1);
        QVERIFY(Fixture().Messages().first().contains(QStringLiteral("not open")));

        // The operator acts: the fault is news again, once.
        pSend->click();
        QTest::qWait(600);
        QCOMPARE(Fixture().Messages().size(), 2);
    }

    void repliesAreShownAsText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("acknowledgement") << QByteArray::fromHex("4F4B") << "4F 4B ";
        QTest::newRow("extremes") << QByteArray::fromHex("00FF") << "00 FF ";
        QTest::newRow("report") << QByteArray::fromHex("19999999") << "19 99 99 99 ";
    }
    void repliesAreShownAsText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        g_bReplyArrived = 0;
        // The first reply on a quiet line is painted in its own event.
        QObject receiver;
        QString strShownAtEvent;
        connect(&g_msComm, &CMSComm::OnComm, &receiver, [&] { strShownAtEvent = DisplayText(Fixture()); });
        Fixture().Board().SendRaw(bytes);
        QTRY_COMPARE_WITH_TIMEOUT(g_strReply, text, 5000);
        QCOMPARE(strShownAtEvent, text);
        QCOMPARE(g_bReplyArrived, 1);
    }

    void displayEndsOnTheLatestOfQuickReplies()
    {
        // The second reply comes while the display is still resting from the first.
        Fixture().Board().SendRaw(QByteArray::fromHex("4F4B"));
        QTRY_COMPARE_WITH_TIMEOUT(g_strReply, QStringLiteral("4F 4B "), 5000);
        QTest::qWait(20);
        Fixture().Board().SendRaw(QByteArray::fromHex("19999999"));
        QTRY_COMPARE_WITH_TIMEOUT(g_strReply, QStringLiteral("19 99 99 99 "), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(DisplayText(Fixture()), QStringLiteral("19 99 99 99 "), 5000);
    }

    void replyWrittenByteByByteStaysWhole_data()
    {
        QTest::addColumn<int>("gapMs");
        QTest::addColumn<QString>("text");
        QTest::newRow("bytes back to back") << 0 << "4F 4B ";
        QTest::newRow("bytes apart: the first waits for the second") << 60 << "4F 4B ";
    }
    void replyWrittenByteByByteStaysWhole()
    {
        QFETCH(int, gapMs);
        QFETCH(QString, text);
        Fixture().Board().SplitNextReply(gapMs);
        Ui().btnClose->click();
        QTRY_VERIFY_WITH_TIMEOUT(g_strReply.endsWith(QStringLiteral("4B ")), 5000);
        QCOMPARE(g_strReply, text);
    }

    void vanishedBoardIsOneMessageAndComesBack()
    {
        Fixture().Board().Vanish();
        QTRY_VERIFY_WITH_TIMEOUT(!g_msComm.GetPortOpen(), 5000);
        QTest::qWait(300);
        QCOMPARE(Fixture().Messages().size(), 1);
        QVERIFY(Fixture().Messages().first().contains(QStringLiteral("went away")));

        Ui().btnEmpty->click();
        Ui().btnClose->click();
        QCOMPARE(Fixture().Messages().size(), 2);
        QCOMPARE(Fixture().Messages().last(), Fixture().Messages().first());

        QVERIFY(Fixture().Board().Reappear());
        Ui().cmbComPort->showPopup();
        Ui().cmbComPort->hidePopup();
        Q_EMIT Ui().cmbComPort->activated(0);
        QVERIFY(g_msComm.GetPortOpen());
        Ui().btnClose->click();
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts(), QStringList{kCloseFrame}, 5000);
        QCOMPARE(Fixture().Messages().size(), 2);
    }

    void steppingTabSendsItsPointsInOrder_data()
    {
        QTest::addColumn<QString>("csv");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<int>("plannedMs");
        QTest::newRow("logarithmic, 25 to 400 MHz in 5") << QString()
            << QStringList{kPoint1V25MhzFrame, kPoint1V50MhzFrame, kPoint1V100MhzFrame, kPoint1V200MhzFrame,
                           kPoint1V400MhzFrame} << 250;
        QTest::newRow("list with header, comment, blank line and own values")
            << "# three points\nfrequency,amplitude,dwell\n\n100 # the first\n25,,0.06\n400,4\n"
            << QStringList{kPoint1V100MhzFrame, kPoint1V25MhzFrame, kPoint4V400MhzFrame} << 160;
    }
    void steppingTabSendsItsPointsInOrder()
    {
        QFETCH(QString, csv);
        QFETCH(QStringList, frames);
        QFETCH(int, plannedMs);
        const SteppingControls& stepping = SteppingTab();
        if (!csv.isEmpty()) {
            QVERIFY(LoadPointFile(csv));
            QCOMPARE(stepping.cmbSpacing->currentIndex(), int(kListItem));
        }
        QElapsedTimer run;
        run.start();
        stepping.btnStart->click();
        QVERIFY(!stepping.btnStart->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(stepping.btnStart->isEnabled(), 10000);
        // The run ends after the last point's dwell, not at its answer.
        QVERIFY(run.elapsed() >= plannedMs - 5);
        QCOMPARE(Fixture().FrameTexts(), frames);
        QCOMPARE(stepping.progressRun->value(), frames.size());
        QCOMPARE(stepping.trace->PointCount(), frames.size());
        QCOMPARE(stepping.lblTimeLeft->text(), QStringLiteral("left 0:00"));
        QVERIFY(Fixture().Messages().isEmpty());
    }

    void steppingRefusalEndsTheRunNamingThePoint()
    {
        const SteppingControls& stepping = SteppingTab();
        connect(&Fixture().Window().SteppingPage().Run(), &CSteppingRun::progress, this, [this](int nPoint) {
            if (nPoint == 3)
                Fixture().Board().Refuse(100);
        });
        stepping.btnStart->click();
        QTRY_VERIFY_WITH_TIMEOUT(stepping.btnStart->isEnabled(), 10000);
        QTest::qWait(300);
        const QStringList frames = Fixture().FrameTexts();
        QCOMPARE(frames.mid(0, 2), (QStringList{kPoint1V25MhzFrame, kPoint1V50MhzFrame}));
        // Point 3 and its six resends, and nothing after it.
        QCOMPARE(frames.size(), 2 + 7);
        for (const QString& strFrame : frames.mid(2))
            QCOMPARE(strFrame.mid(12, 8), QStringLiteral("19999999"));
        QCOMPARE(Fixture().Messages().size(), 1);
        QVERIFY2(Fixture().Messages().first().contains(QStringLiteral("Point 3 of 5, 100 MHz")),
                 qPrintable(Fixture().Messages().first()));
        QCOMPARE(stepping.lblTimeLeft->text(), QStringLiteral("failed"));
    }

    // Any other frame the window sends ends the run as Stop does: the run's
    // next point must not undo it.
    void steppingPausesContinuesAndStops_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("frame");
        QTest::newRow("Stop, from the keyboard") << 2 << "btnStop" << QString();
        QTest::newRow("the window's Close") << 2 << "btnClose" << kCloseFrame;
        QTest::newRow("the sending page's Send") << 0 << "btnSend" << kPoint1V100MhzFrame;
    }
    void steppingPausesContinuesAndStops()
    {
        QFETCH(int, tab);
        QFETCH(QString, button);
        QFETCH(QString, frame);
        const SteppingControls& stepping = SteppingTab();
        const CSteppingRun& run = Fixture().Window().SteppingPage().Run();
        stepping.spinPoints->setValue(40);
        stepping.editDwell->setText(QStringLiteral("0.1"));
        stepping.btnStart->setFocus();
        QTest::keyClick(stepping.btnStart, Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT(run.PointsSent() >= 3, 10000);
        QVERIFY(stepping.btnPause->hasFocus());
        QTest::keyClick(stepping.btnPause, Qt::Key_Space);
        QCOMPARE(stepping.btnPause->accessibleName(), QStringLiteral("Continue"));
        const int nPaused = run.PointsSent();
        QTest::qWait(600);
        QCOMPARE(run.PointsSent(), nPaused);
        QCOMPARE(Fixture().FrameTexts().size(), nPaused);

        QTest::keyClick(stepping.btnPause, Qt::Key_Space);
        QCOMPARE(stepping.btnPause->accessibleName(), QStringLiteral("Pause"));
        QTRY_VERIFY_WITH_TIMEOUT(run.PointsSent() >= nPaused + 2, 10000);
        Ui().tabPages->setCurrentIndex(tab);
        Fixture().Window().SinglePointPage().Controls().editAmplitude->setText(QStringLiteral("1"));
        Fixture().Window().SinglePointPage().Controls().editFrequency->setText(QStringLiteral("100"));
        auto* pButton = Fixture().Window().findChild<QPushButton*>(button);
        QVERIFY(pButton);
        if (frame.isEmpty()) {
            pButton->setFocus();
            QTest::keyClick(pButton, Qt::Key_Space);
            QVERIFY(stepping.btnStart->hasFocus());
        } else {
            pButton->click();
        }
        QCOMPARE(stepping.lblTimeLeft->text(), QStringLiteral("stopped"));
        const int nStopped = run.PointsSent();
        const int nFrames = nStopped + (frame.isEmpty() ? 0 : 1);
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts().size(), nFrames, 5000);
        QTest::qWait(500);
        const QStringList frames = Fixture().FrameTexts();
        QCOMPARE(frames.size(), nFrames);
        QVERIFY(nStopped < 40);
        for (int i = 1; i < nStopped; ++i)
            QVERIFY(frames[i].mid(12, 8) > frames[i - 1].mid(12, 8));
        if (!frame.isEmpty())
            QCOMPARE(frames.last(), frame);
        QVERIFY(Fixture().Messages().isEmpty());
    }

    void steppingEndsOnAVanishedBoardWithOneMessage()
    {
        const SteppingControls& stepping = SteppingTab();
        stepping.spinPoints->setValue(40);
        stepping.btnStart->click();
        QTRY_VERIFY_WITH_TIMEOUT(Fixture().FrameTexts().size() >= 2, 10000);
        Fixture().Board().Vanish();
        QTRY_VERIFY_WITH_TIMEOUT(stepping.btnStart->isEnabled(), 10000);
        QTest::qWait(500);
        QCOMPARE(Fixture().Messages().size(), 1);
        QVERIFY(Fixture().Messages().first().contains(QStringLiteral("went away")));
        QCOMPARE(stepping.lblTimeLeft->text(), QStringLiteral("failed"));
    }

    void steppingLoadNamesABadLineAndKeepsTheTable_data()
    {
        QTest::addColumn<QString>("csv");
        QTest::addColumn<QString>("where");
        QTest::newRow("no number after the header") << "MHz\n100\nabc\n" << "line 3, column 1";
        QTest::newRow("bad amplitude after a comment") << "# list\n\n100,x\n" << "line 3, column 2";
        QTest::newRow("a fourth value") << "100,1,0.1,5\n" << "line 1, column 4";
        QTest::newRow("a dwell beyond a double") << "100,1,1e400\n" << "line 1, column 3: the dwell 1e400 is beyond";
        QTest::newRow("only comments") << "# nothing yet\nMHz,V,s\n" << "no points";
    }
    void steppingLoadNamesABadLineAndKeepsTheTable()
    {
        QFETCH(QString, csv);
        QFETCH(QString, where);
        CPointTableModel& table = Fixture().Window().SteppingPage().PointTable();
        table.SetRows({{150.0, 2.0, std::nullopt}});
        QVERIFY(!LoadPointFile(csv));
        QCOMPARE(Fixture().Messages().size(), 1);
        QVERIFY2(Fixture().Messages().first().contains(where), qPrintable(Fixture().Messages().first()));
        QCOMPARE(table.Rows(), (PointRows{{150.0, 2.0, std::nullopt}}));
    }

    void steppingSavesWhatItLoads()
    {
        CSteppingPage& page = Fixture().Window().SteppingPage();
        const PointRows rows{{10.5, std::nullopt, 0.25}, {400.0, 4.0, std::nullopt}, {123.456789, 0.5, 2.0}};
        page.PointTable().SetRows(rows);
        const QTemporaryDir dir;
        QVERIFY(page.SavePoints(dir.filePath(QStringLiteral("points.csv"))));
        page.PointTable().SetRows({});
        QVERIFY(page.LoadPoints(dir.filePath(QStringLiteral("points.csv"))));
        QCOMPARE(page.PointTable().Rows(), rows);
    }

    void steppingControlsAreNamedForScreenReaders()
    {
        SteppingTab();
        Fixture().Window().SteppingPage().Controls().cmbSpacing->setCurrentIndex(kListItem);
        QStringList names;
        for (const QWidget* pWidget : Fixture().Window().SteppingPage().findChildren<QWidget*>()) {
            const bool bOperated = (pWidget->focusPolicy() & Qt::TabFocus) && !pWidget->focusProxy()
                && qobject_cast<const QAbstractScrollArea*>(pWidget->parentWidget()) == nullptr
                && qobject_cast<const QAbstractSpinBox*>(pWidget->parentWidget()) == nullptr
                && qobject_cast<const QComboBox*>(pWidget->parentWidget()) == nullptr;
            if (bOperated) {
                QVERIFY2(!pWidget->accessibleName().isEmpty(), pWidget->metaObject()->className());
                names.append(pWidget->accessibleName());
            }
        }
        // Every field and button the keyboard reaches, list and logarithmic alike.
        QCOMPARE(names.size(), 15);
        // Tab from the tabs comes round to each of them, settings before Start.
        QStringList reached;
        for (QWidget* pNext = Ui().tabPages->nextInFocusChain(); pNext != Ui().tabPages;
             pNext = pNext->nextInFocusChain()) {
            if (Fixture().Window().SteppingPage().isAncestorOf(pNext) && names.contains(pNext->accessibleName())
                && pNext->isVisible())
                reached.append(pNext->accessibleName());
        }
        QCOMPARE(reached.first(), QStringLiteral("Spacing"));
        QCOMPARE(reached.size(), 12);
        QVERIFY(reached.indexOf(QStringLiteral("Repeat")) < reached.indexOf(QStringLiteral("Start")));
    }

    void refusedStartUpStillOpensTheWindow()
    {
        m_pFixture.reset();
        g_msComm.Ports().ClearPreferred();
        g_msComm.Ports().AddPreferred(QStringLiteral("/dev/vevevar-missing-device"), QString());
        QStringList messages;
        SetMessageBoxHook([&messages](const QString& strText) { messages.append(strText); });
        {
            CDriversControlDlg window;
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QCOMPARE(messages.size(), 1);
            QVERIFY(messages.first().contains(QStringLiteral("/dev/vevevar-missing-device")));
            QVERIFY(!g_msComm.GetPortOpen());
            QVERIFY(window.SinglePointPage().isVisible());
        }
        SetMessageBoxHook({});
        g_msComm.Ports().ClearPreferred();
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
