#include "board/virtual_board.h"
#include "protocol/frame.h"
#include "serial/board_line.h"
#include "serial/serial_link.h"
#include "support/golden_frames.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(BoardLineKind)

// A frame from the protocol library, sent by the link to the virtual board,
// and the board's answer back: over a real pseudo-terminal, and over the line
// within the program that stands in for one on Windows.
class TestSendFrame : public QObject {
    Q_OBJECT

private:
    // A pseudo-terminal sits behind a link here, so that after it vanishes it
    // comes back under the same name, as a replugged adapter does.
    QTemporaryDir m_linkDir;
    std::unique_ptr<CVirtualBoard> m_pBoard;
    std::unique_ptr<CSerialLink> m_pLink;
    QList<QByteArray> m_received;

private Q_SLOTS:
    void initTestCase_data()
    {
        QTest::addColumn<BoardLineKind>("lineKind");
        QTest::newRow("pseudo-terminal") << BoardLineKind::System;
        QTest::newRow("within the program") << BoardLineKind::InProcess;
    }

    void init()
    {
        QFETCH_GLOBAL(BoardLineKind, lineKind);
        m_pBoard = std::make_unique<CVirtualBoard>(nullptr, lineKind);
        QVERIFY2(m_pBoard->Open(m_linkDir.filePath(QStringLiteral("ttyVB0"))), qPrintable(m_pBoard->ErrorText()));
        m_pLink = std::make_unique<CSerialLink>();
        m_pLink->Ports().AddPreferred(m_pBoard->PortName(), m_pBoard->PortDescription());
        if (QIODevice* pClientEnd = m_pBoard->ClientEnd())
            m_pLink->AddDevicePort(m_pBoard->PortName(), *pClientEnd);
        m_pLink->Attach();
        SetUpBoardLine(*m_pLink);
        m_received.clear();
        connect(m_pLink.get(), &CSerialLink::replyReceived, this, [this](const QByteArray& bytes) { m_received.append(bytes); });
    }

    void cleanup()
    {
        m_pLink.reset();
        m_pBoard.reset();
    }

    void frameReachesTheBoardAndTheAnswerComesBack_data()
    {
        QTest::addColumn<QString>("composed");
        QTest::addColumn<QString>("wire");
        QTest::newRow("single point 1 V 100 MHz")
            << ComposeFrame(0, "01", {{"tuning word", 0x19999999, 4}, {"amplitude word", 0x0FD7, 2}})
            << kPoint1V100MhzFrame;
        QTest::newRow("close") << ComposeFrame(0, "40", {{"control code", 0x80, 1}}) << kCloseFrame;
        QTest::newRow("sweep 10..400 MHz")
            << ComposeFrame(0, "03",
                            {{"start word", 0x028F5C28, 4},
                             {"end word", 0x66666666, 4},
                             {"amplitude word", 0x0FFF, 2},
                             {"step code", 0, 1},
                             {"time interval", 5, 4},
                             {"circular flag", 0, 1}})
            << kSweep10To400MhzBy15kFrame;
    }
    void frameReachesTheBoardAndTheAnswerComesBack()
    {
        QFETCH(QString, composed);
        QFETCH(QString, wire);
        QString strFrame = composed;
        m_pLink->SendFrame(strFrame);
        QCOMPARE(strFrame, wire);

        QTRY_COMPARE_WITH_TIMEOUT(m_pBoard->Frames().size(), 1, 5000);
        QCOMPARE(m_pBoard->Frames().first().Hex(), wire);
        QVERIFY(m_pBoard->Frames().first().verdict == SplitFrame::Verdict::Good);
        // Both bytes in the first event: the answer was not split.
        QTRY_VERIFY_WITH_TIMEOUT(!m_received.isEmpty(), 5000);
        QCOMPARE(m_received.first(), QByteArray::fromHex("4F4B"));
    }

    void vanishedBoardIsOneDisconnectAndComesBack()
    {
        QSignalSpy failures(m_pLink.get(), &CSerialLink::portFailed);
        m_pBoard->Vanish();
        QTRY_COMPARE_WITH_TIMEOUT(failures.size(), 1, 5000);
        QVERIFY(!m_pLink->GetPortOpen());
        QTest::qWait(100);
        QCOMPARE(failures.size(), 1);

        QVERIFY(m_pBoard->Reappear());
        m_pLink->SetPortOpen(true);
        QString strFrame = kCloseFrame.left(kCloseFrame.size() - 4);
        m_pLink->SendFrame(strFrame);
        QTRY_COMPARE_WITH_TIMEOUT(m_received, QList<QByteArray>{QByteArray::fromHex("4F4B")}, 5000);
        QCOMPARE(m_pBoard->Frames().last().Hex(), kCloseFrame);
    }
};

QTEST_GUILESS_MAIN(TestSendFrame)
#include "test_send_frame.moc"
