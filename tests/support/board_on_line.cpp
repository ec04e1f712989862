#include "support/board_on_line.h"

#include <QTest>

void BoardOnLineTest::OpenBoardAndClient()
{
    QVERIFY(m_linkDir.isValid());
    m_pBoard = std::make_unique<CVirtualBoard>();
    // One step a report, whatever a sweep's time per step: the tests watch each step.
    m_pBoard->SetStepsPerReport(1);
    QVERIFY2(m_pBoard->Open(LinkPath()), qPrintable(m_pBoard->ErrorText()));
    QVERIFY(m_client.Open(m_pBoard->PortName()));
}

void BoardOnLineTest::CloseClientAndBoard()
{
    m_client.Close();
    m_pBoard.reset();
}

void BoardOnLineTest::SendAndAwait(const QByteArray& frame)
{
    const qsizetype nBefore = m_pBoard->Frames().size();
    QVERIFY(m_client.Write(frame));
    QTRY_COMPARE_WITH_TIMEOUT(m_pBoard->Frames().size(), nBefore + 1, kWaitMs);
}
