#include "protocol/frame.h"
#include "support/board_frames.h"
#include "support/board_on_line.h"
#include "support/sealed.h"

#include <QFileInfo>
#include <QTest>

#include <cerrno>

// The board's port as clients open, close and lose it.
class TestBoardPort : public BoardOnLineTest {
    Q_OBJECT

private Q_SLOTS:
    void init() { OpenBoardAndClient(); }
    void cleanup() { CloseClientAndBoard(); }

    void portWithoutLinkIsRawBeforeClientSetsItUp()
    {
        CVirtualBoard board;
        QVERIFY2(board.Open(), qPrintable(board.ErrorText()));
        QVERIFY(board.IsOpen());
        QVERIFY(board.PortName().startsWith(QStringLiteral("/dev/")));
        // Line ends inside the frame and a reply without one: a cooked port
        // would change the first and hold back the second.
        const QByteArray frame
            = Hex(Sealed(ComposeFrame(0, "01", {{"tuning word", 0x0A0D0A0D, 4}, {"amplitude word", 0x0D0A, 2}})));
        CLineClient client;
        QVERIFY(client.Open(board.PortName(), false));
        QVERIFY(client.Write(frame));
        QTRY_COMPARE_WITH_TIMEOUT(client.Received(), g_ok, kWaitMs);
        QCOMPARE(board.Frames().size(), 1);
        QCOMPARE(board.Frames()[0].bytes, frame);
    }

    void clientReopensPort()
    {
        SendAndAwait(g_point1V100Mhz);
        QTRY_COMPARE_WITH_TIMEOUT(m_client.Received(), g_ok, kWaitMs);
        m_client.Close();
        QVERIFY(m_pBoard->IsOpen());
        QVERIFY(m_client.Open(m_pBoard->PortName()));
        QVERIFY(m_client.Write(g_close));
        QTRY_COMPARE_WITH_TIMEOUT(m_client.Received(), g_ok, kWaitMs);
        const QList<ReceivedFrame> frames = m_pBoard->Frames();
        QCOMPARE(frames.size(), 2);
        QCOMPARE(frames[1].Command(), 0x40);
        QVERIFY(frames[1].nMsecs >= frames[0].nMsecs);
    }

    void vanishAndReappear()
    {
        m_pBoard->Vanish();
        QVERIFY(!m_pBoard->IsOpen());
        QTRY_VERIFY_WITH_TIMEOUT(m_client.HasHungUp(), kWaitMs);
        QVERIFY(!m_client.Write(g_close));
        QCOMPARE(m_client.WriteErrno(), EIO);
        QCOMPARE(m_pBoard->PortName(), LinkPath());
        QVERIFY(!QFileInfo(LinkPath()).isSymLink());

        QVERIFY2(m_pBoard->Reappear(), qPrintable(m_pBoard->ErrorText()));
        QVERIFY(m_pBoard->IsOpen());
        QCOMPARE(m_pBoard->PortName(), LinkPath());
        QVERIFY(QFileInfo::exists(QFileInfo(LinkPath()).symLinkTarget()));
        QVERIFY(m_client.Open(LinkPath()));
        QVERIFY(m_client.Write(g_point1V100Mhz));
        QTRY_COMPARE_WITH_TIMEOUT(m_client.Received(), g_ok, kWaitMs);
        QCOMPARE(m_pBoard->CurrentMode(), CVirtualBoard::Mode::SinglePoint);
    }

    void linkGoesWithTheBoard()
    {
        QVERIFY(QFileInfo(LinkPath()).isSymLink());
        m_client.Close();
        m_pBoard.reset();
        QVERIFY(!QFileInfo(LinkPath()).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestBoardPort)
#include "test_board_port.moc"
