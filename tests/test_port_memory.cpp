#include "app/command_line_ports.h"
#include "app/drivers_control_dlg.h"
#include "app/port_memory.h"
#include "board/port_link.h"
#include "board/virtual_board.h"
#include "pages/message_box.h"
#include "serial/by_id_names.h"
#include "pages/ms_comm.h"
#include "serial/port_table.h"
#include "pages/reply_state.h"
#include "support/raw_pty.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <memory>

namespace {

const QString kOrganisation = QStringLiteral("Vevevar");
const QString kApplication = QStringLiteral("Azevora");

// Everything the operator can set in the window, by page and control.
QStringList FieldStates(const CDriversControlDlg& window)
{
    QStringList states;
    for (const QWidget* pWidget : window.findChildren<QWidget*>()) {
        // Qt's own parts, such as the scroll bars of a list, are not fields.
        if (pWidget->objectName().isEmpty() || pWidget->objectName().startsWith(QLatin1String("qt_")))
            continue;
        const QString strName = pWidget->parentWidget()->objectName() + u'/' + pWidget->objectName();
        if (const auto* pEdit = qobject_cast<const QLineEdit*>(pWidget))
            states << strName + u'=' + pEdit->text();
        else if (const auto* pSlider = qobject_cast<const QAbstractSlider*>(pWidget))
            states << strName + u'=' + QString::number(pSlider->value());
        else if (const auto* pButton = qobject_cast<const QAbstractButton*>(pWidget))
            states << strName + u'=' + pButton->text() + u'/' + QString::number(pButton->isChecked());
    }
    states << QStringLiteral("tab=%1").arg(window.Controls().tabPages->currentIndex());
    return states;
}

} // namespace

// Two adapters, boards A and B, as the system would show them: device links
// dev/ttyUSBn to their pseudo-terminals, listed as ports, and a fake by-id
// folder naming each board, its links relative as the system makes them.
class TestPortMemory : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_pDir;
    std::array<std::unique_ptr<CVirtualBoard>, 2> m_boards;
    std::unique_ptr<CDriversControlDlg> m_pWindow;
    QStringList m_messages;

    QString DevicePath(int nDevice) const { return m_pDir->filePath(QStringLiteral("dev/ttyUSB%1").arg(nDevice)); }
    QString ByIdPath(int nBoard) const
    {
        return m_pDir->filePath(QStringLiteral("by-id/usb-Vevevar_Board_%1-if00-port0").arg(QChar(u'A' + nBoard)));
    }
    const Ui::CDriversControlDlg& Ui() const { return m_pWindow->Controls(); }

    static void Link(const QString& strLink, const QString& strTarget)
    {
        QString strError;
        QVERIFY2(PointLink(strLink, strTarget, strError), qPrintable(strError));
    }

    // Board nBoard comes up as ttyUSB<nDevice>, as plugging it in would.
    void PlugIn(int nBoard, int nDevice)
    {
        Link(DevicePath(nDevice), m_boards[nBoard]->PortName());
        Link(ByIdPath(nBoard), QStringLiteral("../dev/ttyUSB%1").arg(nDevice));
    }

    void StartWindow(StartPort startPort)
    {
        m_pWindow.reset();
        g_strReply.clear();
        m_pWindow = std::make_unique<CDriversControlDlg>(startPort);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow.get()));
    }

    void Pick(int nIndex)
    {
        Ui().cmbComPort->showPopup();
        Ui().cmbComPort->hidePopup();
        QVERIFY(nIndex < Ui().cmbComPort->count());
        Ui().cmbComPort->setCurrentIndex(nIndex);
        Q_EMIT Ui().cmbComPort->activated(nIndex);
    }

    // The board the open port leads to is the one that gets the Close frame.
    // Only that board is asked: a resend of an earlier Close may still be on
    // its way to the other.
    void CheckReaches(int nBoard)
    {
        m_boards[nBoard]->ClearFrames();
        Ui().btnClose->click();
        QTRY_VERIFY_WITH_TIMEOUT(!m_boards[nBoard]->Frames().isEmpty(), 5000);
    }

    static QString Recalled() { return CPortMemory().Recall(); }
    static QString SettingsFile() { return QSettings(kOrganisation, kApplication).fileName(); }

private Q_SLOTS:
    void init()
    {
        QDir(SettingsFile()).removeRecursively();
        {
            QSettings settings(kOrganisation, kApplication);
            settings.clear();
            settings.sync();
            QCOMPARE(settings.status(), QSettings::NoError);
        }
        QCOMPARE(Recalled(), QString());

        m_pDir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_pDir->isValid());
        QVERIFY(QDir(m_pDir->path()).mkpath(QStringLiteral("dev")));
        QVERIFY(QDir(m_pDir->path()).mkpath(QStringLiteral("by-id")));
        g_msComm.Ports().SetByIdFolder(m_pDir->filePath(QStringLiteral("by-id")));
        for (auto& pBoard : m_boards) {
            pBoard = std::make_unique<CVirtualBoard>();
            QVERIFY2(pBoard->Open(), qPrintable(pBoard->ErrorText()));
        }
        g_msComm.Ports().ClearPreferred();
        for (const int n : {0, 1}) {
            PlugIn(n, n);
            g_msComm.Ports().AddPreferred(DevicePath(n), QStringLiteral("adapter"));
        }
        m_messages.clear();
        SetMessageBoxHook([this](const QString& strText) { m_messages.append(strText); });
    }

    void cleanup()
    {
        m_pWindow.reset();
        SetMessageBoxHook({});
        g_msComm.Ports().ClearPreferred();
        g_msComm.Ports().SetByIdFolder(QString::fromLatin1(kByIdFolder));
        m_boards = {};
        m_pDir.reset();
        g_strReply.clear();
    }

    void pickIsRememberedAndOpenedNextTime_data()
    {
        QTest::addColumn<bool>("byId");
        QTest::newRow("adapter with a by-id name") << true;
        QTest::newRow("device without one") << false;
    }
    void pickIsRememberedAndOpenedNextTime()
    {
        QFETCH(bool, byId);
        if (!byId)
            QVERIFY(QDir(m_pDir->filePath(QStringLiteral("by-id"))).removeRecursively());
        StartWindow(StartPort::Remembered);
        QCOMPARE(Ui().cmbComPort->currentIndex(), 0);
        CheckReaches(0);
        QCOMPARE(Recalled(), byId ? ByIdPath(0) : DevicePath(0));

        Pick(1);
        QCOMPARE(g_msComm.PortLocation(), DevicePath(1));
        QCOMPARE(Recalled(), byId ? ByIdPath(1) : DevicePath(1));

        StartWindow(StartPort::Remembered);
        QCOMPARE(Ui().cmbComPort->currentIndex(), 1);
        QCOMPARE(g_msComm.GetCommPort(), short(2));
        CheckReaches(1);
        QVERIFY(m_messages.isEmpty());
    }

    void refusedOpenRemembersNothing()
    {
        StartWindow(StartPort::Remembered);
        g_msComm.Ports().AddPreferred(m_pDir->filePath(QStringLiteral("dev/ttyUSB9")), QStringLiteral("unplugged"));
        Pick(2);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().contains(QStringLiteral("ttyUSB9")));
        QVERIFY(!g_msComm.GetPortOpen());
        QCOMPARE(Recalled(), ByIdPath(0));
    }

    void vanishedPortFallsBackToTheFirstWithoutAMessage_data()
    {
        QTest::addColumn<QString>("gone");
        QTest::newRow("adapter unplugged") << "adapter";
        QTest::newRow("by-id link left dangling") << "device";
        QTest::newRow("device no longer listed") << "listed";
    }
    void vanishedPortFallsBackToTheFirstWithoutAMessage()
    {
        QFETCH(QString, gone);
        const bool bByDevice = gone == QLatin1String("listed");
        if (bByDevice)
            QVERIFY(QDir(m_pDir->filePath(QStringLiteral("by-id"))).removeRecursively());
        StartWindow(StartPort::Remembered);
        Pick(1);
        QCOMPARE(Recalled(), bByDevice ? DevicePath(1) : ByIdPath(1));
        m_pWindow.reset();

        if (gone == QLatin1String("adapter"))
            RemoveLink(ByIdPath(1));
        if (bByDevice) {
            g_msComm.Ports().ClearPreferred();
            g_msComm.Ports().AddPreferred(DevicePath(0), QStringLiteral("adapter"));
        } else {
            RemoveLink(DevicePath(1));
        }
        StartWindow(StartPort::Remembered);
        QCOMPARE(Ui().cmbComPort->currentIndex(), 0);
        CheckReaches(0);
        QVERIFY(m_messages.isEmpty());
        // The first port, opened at start-up, is what is remembered now.
        QCOMPARE(Recalled(), bByDevice ? DevicePath(0) : ByIdPath(0));
    }

    void swappedAdaptersAreToldApartByTheirByIdPaths_data()
    {
        QTest::addColumn<int>("board");
        QTest::newRow("picked on ttyUSB0, back on ttyUSB1") << 0;
        QTest::newRow("picked on ttyUSB1, back on ttyUSB0") << 1;
    }
    void swappedAdaptersAreToldApartByTheirByIdPaths()
    {
        QFETCH(int, board);
        StartWindow(StartPort::Remembered);
        Pick(board);
        CheckReaches(board);
        QCOMPARE(Recalled(), ByIdPath(board));
        m_pWindow.reset();

        // After a reboot the two adapters came up the other way round.
        PlugIn(0, 1);
        PlugIn(1, 0);
        StartWindow(StartPort::Remembered);
        QCOMPARE(Ui().cmbComPort->currentIndex(), 1 - board);
        QCOMPARE(g_msComm.PortLocation(), DevicePath(1 - board));
        CheckReaches(board);
        QVERIFY(m_messages.isEmpty());
        // The operator tells them apart too, by the by-id path in each tooltip.
        for (const int n : {0, 1})
            QCOMPARE(Ui().cmbComPort->itemData(1 - n, Qt::ToolTipRole).toString(),
                     QStringLiteral("adapter, ") + ByIdPath(n));
    }

    void portsGivenOnTheCommandLineLeaveTheMemoryAlone_data()
    {
        QTest::addColumn<bool>("simulated");
        QTest::addColumn<bool>("givenById");
        QTest::newRow("--port device") << false << false;
        QTest::newRow("--port by-id path") << false << true;
        QTest::newRow("--simulate") << true << false;
    }
    void portsGivenOnTheCommandLineLeaveTheMemoryAlone()
    {
        QFETCH(bool, simulated);
        QFETCH(bool, givenById);
        CPortMemory().Remember(ByIdPath(1));
        g_msComm.Ports().ClearPreferred();
        const QString strGiven = givenById ? ByIdPath(0) : DevicePath(0);
        const StartPort startPort = ListCommandLinePorts(
            simulated ? CommandLinePorts{m_boards[0].get(), QString()} : CommandLinePorts{nullptr, strGiven});
        QCOMPARE(startPort, StartPort::First);
        // Board B is listed too, as the system would list it.
        g_msComm.Ports().AddPreferred(DevicePath(1), QStringLiteral("adapter"));

        StartWindow(startPort);
        QCOMPARE(Ui().cmbComPort->currentIndex(), 0);
        CheckReaches(0);
        Pick(1);
        CheckReaches(1);
        Pick(0);
        CheckReaches(0);
        QCOMPARE(Recalled(), ByIdPath(1));
        QVERIFY(m_messages.isEmpty());
    }

    void portGivenByItsByIdPathOpensThroughTheLink()
    {
        g_msComm.Ports().ClearPreferred();
        const StartPort startPort = ListCommandLinePorts({nullptr, ByIdPath(1)});
        StartWindow(startPort);
        QCOMPARE(g_msComm.PortLocation(), ByIdPath(1));
        CheckReaches(1);
        // Named as the system names devices, the long path in its tooltip.
        const QString strDevice = QFileInfo(m_boards[1]->PortName()).canonicalFilePath();
        QCOMPARE(Ui().cmbComPort->itemText(0), strDevice.mid(QStringLiteral("/dev/").size()));
        QCOMPARE(Ui().cmbComPort->itemData(0, Qt::ToolTipRole).toString(),
                 QStringLiteral("Given on the command line, %1").arg(ByIdPath(1)));
    }

    void programOpensAByIdPathGivenWithPort()
    {
        RawPty pty;
        QVERIFY(pty.IsOpen());
        QVERIFY(pty.OutputBaud() != 9600);
        const QString strLink = m_pDir->filePath(QStringLiteral("by-id/usb-Vevevar_Board_C-if00-port0"));
        Link(strLink, pty.SlavePath());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_pDir->filePath(QStringLiteral("config")));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(VEVEVAR_APP_PATH), {QStringLiteral("--port"), strLink});
        QVERIFY(program.waitForStarted());
        // The line is set to 9600 baud only once the port is open.
        QTRY_COMPARE_WITH_TIMEOUT(pty.OutputBaud(), 9600, 60000);
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished();
    }

    void onlyThePortIsRemembered()
    {
        StartWindow(StartPort::First);
        const QStringList fresh = FieldStates(*m_pWindow);

        StartWindow(StartPort::Remembered);
        const Ui::CSinglePointPage& single = m_pWindow->SinglePointPage().Controls();
        const Ui::CSweepPage& sweep = m_pWindow->SweepPage().Controls();
        single.editAmplitude->setText(QStringLiteral("2"));
        single.scrollFrequency->setValue(single.scrollFrequency->maximum());
        sweep.editStartFreq->setText(QStringLiteral("150"));
        sweep.chkCircular->setChecked(!sweep.chkCircular->isChecked());
        Ui().tabPages->setCurrentIndex(1);
        QVERIFY(FieldStates(*m_pWindow) != fresh);
        Pick(1);

        StartWindow(StartPort::Remembered);
        QCOMPARE(Ui().cmbComPort->currentIndex(), 1);
        QCOMPARE(FieldStates(*m_pWindow), fresh);
    }

    void unreadableSettingsArePassedOver_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("a folder in its place") << true;
        QTest::newRow("not a settings file") << false;
    }
    void unreadableSettingsArePassedOver()
    {
        QFETCH(bool, folder);
        const QString strFile = SettingsFile();
        // Names board B in a file broken further on: nothing in it can be trusted.
        const QByteArray broken = QStringLiteral("lastPort=%1\n[broken\n").arg(ByIdPath(1)).toUtf8();
        if (folder) {
            QFile::remove(strFile);
            QVERIFY(QDir().mkpath(strFile));
        } else {
            QFile file(strFile);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(broken);
        }
        StartWindow(StartPort::Remembered);
        QCOMPARE(Ui().cmbComPort->currentIndex(), 0);
        CheckReaches(0);
        Pick(1);
        CheckReaches(1);
        QVERIFY(m_messages.isEmpty());
        if (folder) {
            QVERIFY(QFileInfo(strFile).isDir());
        } else {
            QFile file(strFile);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), broken);
        }
    }
};

int main(int argc, char* argv[])
{
    // Before anything reads settings: their location is fixed on first use.
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    TestPortMemory test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_port_memory.moc"
