#include "support/window_on_board.h"

#include "pages/message_box.h"
#include "pages/ms_comm.h"
#include "pages/reply_state.h"
#include "pages/run_flags.h"

#include <QTest>

WindowOnBoard::WindowOnBoard()
    : m_pBoard(std::make_unique<CVirtualBoard>())
{
    if (!m_pBoard->Open(m_linkDir.filePath(QStringLiteral("ttyVB0"))))
        qFatal("virtual board: %s", qPrintable(m_pBoard->ErrorText()));
    // One step a report, whatever the page's time interval: the tests watch
    // the reports of a sweep that lasts.
    m_pBoard->SetStepsPerReport(1);
    g_msComm.Ports().ClearPreferred();
    g_msComm.Ports().AddPreferred(m_pBoard->PortName(), QStringLiteral("virtual board"));
    SetMessageBoxHook([this](const QString& strText) {
        m_messages.append(strText);
        if (m_whileOpen)
            m_whileOpen(strText);
    });
    g_strReply.clear();
    m_pWindow = std::make_unique<CDriversControlDlg>();
    m_pWindow->show();
    if (!QTest::qWaitForWindowExposed(m_pWindow.get()))
        qWarning("main window not exposed");
}

WindowOnBoard::~WindowOnBoard()
{
    m_pWindow.reset();
    SetMessageBoxHook({});
    g_msComm.Ports().ClearPreferred();
    m_pBoard.reset();
    g_strReply.clear();
}

QStringList WindowOnBoard::FrameTexts() const
{
    QStringList texts;
    for (const ReceivedFrame& frame : m_pBoard->Frames())
        texts.append(frame.Hex());
    return texts;
}
