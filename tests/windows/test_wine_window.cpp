// The window under Wine: started as --simulate starts it, on the virtual board
// within the program, and as --port COM5 starts it, on whatever the harness
// links COM5 to (the Linux virtual board). A Send must reach the board, and
// the board's acknowledgement come back into the receive display.
#include "app/command_line_ports.h"
#include "app/drivers_control_dlg.h"
#include "board/virtual_board.h"
#include "pages/message_box.h"
#include "pages/ms_comm.h"
#include "support/golden_frames.h"

#include <QTest>

namespace {

constexpr int kWaitMs = 20000;

} // namespace

class TestWineWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sendIsAcknowledged_data()
    {
        QTest::addColumn<QString>("port");
        QTest::newRow("--simulate") << QString();
        QTest::newRow("--port COM5") << QStringLiteral("COM5");
    }
    void sendIsAcknowledged()
    {
        QFETCH(QString, port);
        QStringList messages;
        SetMessageBoxHook([&messages](const QString& strText) { messages.append(strText); });
        std::unique_ptr<CVirtualBoard> pBoard;
        CommandLinePorts ports;
        if (port.isEmpty()) {
            pBoard = std::make_unique<CVirtualBoard>();
            QVERIFY2(pBoard->Open(), qPrintable(pBoard->ErrorText()));
            ports.pSimulated = pBoard.get();
        } else {
            ports.strGiven = port;
        }
        g_msComm.Ports().ClearPreferred();
        {
            CDriversControlDlg window(ListCommandLinePorts(ports));
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QVERIFY2(g_msComm.GetPortOpen(), qPrintable(messages.join(QLatin1Char('\n'))));
            QTest::mouseClick(window.SinglePointPage().Controls().btnSend, Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(window.Controls().editReceiveData->toPlainText().remove(QLatin1Char(' ')),
                                      kAcknowledgementReply, kWaitMs);
            QVERIFY2(messages.isEmpty(), qPrintable(messages.join(QLatin1Char('\n'))));
        }
        if (pBoard) {
            QCOMPARE(pBoard->Frames().size(), 1);
            QCOMPARE(pBoard->Frames().first().Hex(), kPoint0V10MhzFrame);
        }
        SetMessageBoxHook({});
        g_msComm.Ports().ClearPreferred();
    }
};

QTEST_MAIN(TestWineWindow)
#include "test_wine_window.moc"
