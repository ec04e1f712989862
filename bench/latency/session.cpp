#include "latency/session.h"

#include "pages/message_box.h"
#include "pages/ms_comm.h"
#include "support/probe_application.h"
#include "support/run_until.h"

#include <QTest>

namespace {

constexpr int kIdleTimeoutMs = 3000;

} // namespace

CLatencySession::CLatencySession(CProbeApplication& app)
    : m_app(app)
    , m_board(&m_wake)
{
}

CLatencySession::~CLatencySession()
{
    m_pWindow.reset();
    SetMessageBoxHook({});
    g_msComm.Ports().ClearPreferred();
}

bool CLatencySession::Start(QString& strError)
{
    if (!m_board.Open(strError))
        return false;
    g_msComm.Ports().ClearPreferred();
    g_msComm.Ports().AddPreferred(m_board.PortName(), QStringLiteral("virtual board"));
    SetMessageBoxHook([this](const QString& strText) { m_messages.append(strText); });
    m_pWindow = std::make_unique<CDriversControlDlg>();
    m_pWindow->show();
    if (!QTest::qWaitForWindowExposed(m_pWindow.get())) {
        strError = QStringLiteral("the main window was never exposed");
        return false;
    }
    return true;
}

bool CLatencySession::ReturnToIdle()
{
    m_pWindow->Controls().btnClose->click();
    const Ui::CSweepPage& sweep = m_pWindow->SweepPage().Controls();
    return RunUntil(m_app, [&sweep] { return sweep.btnScan->isEnabled(); }, kIdleTimeoutMs);
}
