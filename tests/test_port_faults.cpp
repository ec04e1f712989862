#include "pages/run_flags.h"
#include "pages/ms_comm.h"
#include "serial/port_table.h"
#include "pages/reply_state.h"
#include "support/window_on_board.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QTest>

namespace {

// The operator reads a message for a while; everything else goes on.
constexpr int kReadingMsecs = 600;

} // namespace

class TestPortFaults : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowOnBoard> m_pFixture;

    WindowOnBoard& Fixture() { return *m_pFixture; }
    const Ui::CSinglePointPage& Single() { return m_pFixture->Window().SinglePointPage().Controls(); }
    const Ui::CSweepPage& Sweep() { return m_pFixture->Window().SweepPage().Controls(); }
    const Ui::CDriversControlDlg& Main() { return m_pFixture->Window().Controls(); }

    void PickPort(int nIndex)
    {
        Main().cmbComPort->showPopup();
        Main().cmbComPort->hidePopup();
        Main().cmbComPort->setCurrentIndex(nIndex);
        Q_EMIT Main().cmbComPort->activated(nIndex);
    }

    // Typed texts that must survive every fault.
    void TypeSettings()
    {
        Single().editAmplitude->setText(QStringLiteral("2.5"));
        Single().editFrequency->setText(QStringLiteral("123.456"));
        Sweep().editStartFreq->setText(QStringLiteral("100"));
        Sweep().editEndFreq->setText(QStringLiteral("300"));
        Sweep().editTimeInterval->setText(QStringLiteral("7"));
    }

    void VerifySettingsKept()
    {
        QCOMPARE(Single().editAmplitude->text(), QStringLiteral("2.5"));
        QCOMPARE(Single().editFrequency->text(), QStringLiteral("123.456"));
        QCOMPARE(Sweep().editStartFreq->text(), QStringLiteral("100"));
        QCOMPARE(Sweep().editEndFreq->text(), QStringLiteral("300"));
        QCOMPARE(Sweep().editTimeInterval->text(), QStringLiteral("7"));
    }

    // The board comes back, the operator picks it, and both pages send again.
    void VerifyRecovery()
    {
        QVERIFY(Fixture().Board().Reappear());
        const int nMessages = Fixture().Messages().size();
        PickPort(0);
        QVERIFY(g_msComm.GetPortOpen());
        Fixture().Board().ClearFrames();
        Single().btnSend->click();
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().Board().Frames().size(), 1, 5000);
        QCOMPARE(Fixture().Board().Frames().first().Command(), 0x01);
        Sweep().btnScan->click();
        QTRY_VERIFY_WITH_TIMEOUT(Fixture().Board().Frames().size() >= 2, 5000);
        QCOMPARE(Fixture().Board().Frames()[1].Command(), 0x03);
        QCOMPARE(Fixture().Messages().size(), nMessages);
        VerifySettingsKept();
    }

private Q_SLOTS:
    void init()
    {
        m_pFixture = std::make_unique<WindowOnBoard>();
        Fixture().SetWhileMessageOpen([](const QString&) { QTest::qWait(kReadingMsecs); });
        TypeSettings();
    }
    void cleanup() { m_pFixture.reset(); }

    void vanishingDuringASinglePointWatch()
    {
        Fixture().Board().StaySilent(100);
        Single().btnSend->click();
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().Board().Frames().size(), 2, 5000);
        Fixture().Board().Vanish();
        QTRY_VERIFY_WITH_TIMEOUT(!g_msComm.GetPortOpen(), 5000);
        QTest::qWait(2 * kReadingMsecs);
        QCOMPARE(Fixture().Messages().size(), 1);
        QVERIFY(Fixture().Messages().first().contains(QStringLiteral("went away")));
        QVERIFY(!Fixture().Window().SinglePointPage().IsWatchRunning());
        VerifyRecovery();
    }

    void vanishingDuringASweep()
    {
        Sweep().btnScan->click();
        QTRY_VERIFY_WITH_TIMEOUT(Sweep().editCurrentFreq->text() != QStringLiteral("0"), 5000);
        Sweep().btnPause->click();
        QTRY_VERIFY_WITH_TIMEOUT(Fixture().Board().Frames().size() >= 2, 5000);
        // While the operator reads the message, a refusal makes the running
        // watch resend into the dead port.
        Fixture().SetWhileMessageOpen([](const QString&) {
            g_strReply = QStringLiteral("45 52 ");
            QTest::qWait(kReadingMsecs);
        });
        Fixture().Board().Vanish();
        QTRY_VERIFY_WITH_TIMEOUT(!g_msComm.GetPortOpen(), 5000);
        QTest::qWait(2 * kReadingMsecs);
        QCOMPARE(Fixture().Messages().size(), 1);
        QVERIFY(Fixture().Messages().first().contains(QStringLiteral("went away")));
        QVERIFY(!Fixture().Window().SweepPage().IsWatchRunning(CSweepPage::kPauseWatch));
        VerifyRecovery();
    }

    void vanishingWhileAMessageIsOpen()
    {
        bool bVanished = false;
        Fixture().SetWhileMessageOpen([this, &bVanished](const QString&) {
            if (!bVanished) {
                bVanished = true;
                Fixture().Board().Vanish();
            }
            QTest::qWait(kReadingMsecs);
        });
        Single().editAmplitude->setText(QStringLiteral("7"));
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().Messages().size(), 2, 5000);
        QCOMPARE(Fixture().Messages().first(), QStringLiteral("out of scale"));
        QVERIFY(Fixture().Messages().last().contains(QStringLiteral("went away")));
        QCOMPARE(Single().editAmplitude->text(), QStringLiteral("4"));
        Single().editAmplitude->setText(QStringLiteral("2.5"));
        VerifyRecovery();
    }

    void refusedOpens_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("needle");
        QTest::newRow("missing") << "/dev/vevevar-missing-device" << false << "does not exist";
        QTest::newRow("busy") << QString() << true << "in use by another program";
    }
    void refusedOpens()
    {
        QFETCH(QString, device);
        QFETCH(bool, busy);
        QFETCH(QString, needle);
        // Another program holds the board's port, by the device's own name,
        // while the operator picks it by its link.
        QSerialPort other;
        if (busy) {
            g_msComm.SetPortOpen(false);
            other.setPortName(QFileInfo(Fixture().Board().PortName()).canonicalFilePath());
            QVERIFY(other.open(QIODevice::ReadWrite));
            device = Fixture().Board().PortName();
        }
        g_msComm.Ports().AddPreferred(device, QStringLiteral("refusing device"));
        PickPort(1);
        QCOMPARE(Fixture().Messages().size(), 1);
        QVERIFY2(Fixture().Messages().first().contains(device), qPrintable(Fixture().Messages().first()));
        QVERIFY2(Fixture().Messages().first().contains(needle), qPrintable(Fixture().Messages().first()));
        QVERIFY(!g_msComm.GetPortOpen());

        // The pages stay usable: a send says once that the port is not open.
        Single().btnSend->click();
        QCOMPARE(Fixture().Messages().size(), 2);
        QVERIFY(!Fixture().Window().SinglePointPage().IsWatchRunning());
        other.close();
        Fixture().Board().Vanish();
        VerifyRecovery();
    }
};

QTEST_MAIN(TestPortFaults)
#include "test_port_faults.moc"
