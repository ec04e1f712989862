#include "app/drivers_control_dlg.h"

#include "app/about_dlg.h"
#include "app/app_icon.h"
#include "app/port_memory.h"
#include "pages/handler_guard.h"
#include "pages/message_box.h"
#include "pages/ms_comm.h"
#include "pages/port_fault.h"
#include "pages/reply_state.h"
#include "pages/run_flags.h"
#include "protocol/frame_builders.h"
#include "serial/board_line.h"
#include "serial/port_table.h"

#include <QAction>
#include <QSignalBlocker>

#include <algorithm>

namespace {

// At most four repaints a second of the receive display.
constexpr int kReceivePaintMsecs = 250;
// Where each entry of the port list is, as it was when the list was read.
constexpr int kPortLocationRole = Qt::UserRole;
// What the entry is remembered by.
constexpr int kPortIdentityRole = Qt::UserRole + 1;
// An event carries at most this many bytes; the input buffer is smaller.
constexpr qsizetype kReceiveBufferBytes = 2048;

} // namespace

CDriversControlDlg::CDriversControlDlg(StartPort startPort, QWidget* pParent)
    : QDialog(pParent)
    , m_pPortMemory(startPort == StartPort::Remembered ? std::make_unique<CPortMemory>() : nullptr)
    , m_watchClose(kCloseWatchPolicy, {m_nCloseRetry, m_bCloseDone, m_bCloseRetrying},
                   [this](int nRetry) { return ComposeCloseFrame(nRetry); }, g_msComm, &g_strReply)
{
    m_ui.setupUi(this);
    connect(&m_watchClose, &CResendWatch::FrameWritten, this, [this](const QString& strFrame) { m_strFrame = strFrame; });
    connect(&m_watchClose, &CResendWatch::Acknowledged, this, [] { g_bCloseAcked = 1; });
    connect(&m_watchClose, &CResendWatch::SendFailed, this,
            [this](const QString& strWhy, bool bPortFault) { ShowFailure(this, strWhy, bPortFault); });
    m_timerReceivePaint.setSingleShot(true);
    m_timerReceivePaint.setInterval(kReceivePaintMsecs);
    connect(&m_timerReceivePaint, &QTimer::timeout, this, [this] { OnReceivePaintDue(); });
    connect(m_ui.tabPages, &QTabWidget::currentChanged, this, [this](int nItem) { OnSelchangeTab(nItem); });
    connect(m_ui.btnClose, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { OnClose(); }, HandlerOrigin::Operator); });
    connect(m_ui.btnEmpty, &QPushButton::clicked, this, [this] { OnEmpty(); });
    connect(m_ui.cmbComPort, &CDropDownComboBox::DropDown, this, [this] { OnDropdownComPort(); });
    connect(m_ui.cmbComPort, &QComboBox::activated, this,
            [this](int nIndex) { RunGuarded(this, [this, nIndex] { OnSelchangeComPort(nIndex); }, HandlerOrigin::Operator); });
    connect(&g_msComm, &CMSComm::OnComm, this, [this] { RunGuarded(this, [this] { OnComm(); }); });
    OnInitDialog();
}

CDriversControlDlg::~CDriversControlDlg()
{
    // The link goes with the window, as the hosted control did.
    g_msComm.Detach();
}

void CDriversControlDlg::OnInitDialog()
{
    g_msComm.Attach();
    ForgetShownPortFault();

    // No platform lets a program extend the title bar's menu portably, so the
    // About entry lives in the window's context menu.
    auto* pAbout = new QAction(QStringLiteral("关于 Orrel(&A)..."), this);
    connect(pAbout, &QAction::triggered, this, &CDriversControlDlg::OnAbout);
    addAction(pAbout);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    setWindowIcon(AppIcon());

    {
        const QSignalBlocker blocker(m_ui.tabPages);
        m_ui.tabPages->insertTab(0, new QWidget, QStringLiteral("sending"));
        m_ui.tabPages->insertTab(1, new QWidget, QStringLiteral("scanning"));
        m_ui.tabPages->insertTab(2, new QWidget, QStringLiteral("stepping"));
    }

    for (QWidget* pPage : {static_cast<QWidget*>(&m_dlgSinglePoint), static_cast<QWidget*>(&m_dlgSweep),
                           static_cast<QWidget*>(&m_dlgStepping)}) {
        pPage->setParent(m_ui.tabPages);
        pPage->setGeometry(10, 30, 500, 250);
    }
    m_dlgSinglePoint.show();
    m_dlgSweep.hide();
    m_dlgStepping.hide();

    int nStart = 0;
    if (m_pPortMemory) {
        // The whole table: the remembered port may be any device the system lists.
        const QList<PortEntry> table = g_msComm.Ports().Read();
        nStart = std::max(0, FindPort(table, m_pPortMemory->Recall()));
        FillPortList(table);
    } else {
        FillPortList(g_msComm.Ports().Starting());
    }
    m_ui.cmbComPort->setCurrentIndex(nStart);

    RunGuarded(this, [this, nStart] { SetUpSerialLink(nStart); });
}

void CDriversControlDlg::SetUpSerialLink(int nIndex)
{
    SetUpBoardLine(g_msComm, static_cast<short>(nIndex + 1),
                   m_ui.cmbComPort->itemData(nIndex, kPortLocationRole).toString());
    RememberOpenedPort(nIndex);

    m_nCloseRetry = 0;
    g_bReplyArrived = 0;
    m_bCloseRetrying = false;
    g_bCloseAcked = 0;
    g_bScanning = 0;
}

void CDriversControlDlg::UpdateData()
{
    const QSignalBlocker blocker(m_ui.editReceiveData);
    m_ui.editReceiveData->setPlainText(m_strReceiveData);
    m_bReceiveDisplayStale = false;
}

// A lone reply is shown at once; while replies stream in, the display takes
// the latest at most four times a second. Laying out and painting the text for
// every reply cost more than everything else the window does with them.
void CDriversControlDlg::UpdateDataPaced()
{
    if (m_timerReceivePaint.isActive()) {
        m_bReceiveDisplayStale = true;
        return;
    }
    UpdateData();
    m_timerReceivePaint.start();
}

void CDriversControlDlg::OnReceivePaintDue()
{
    if (!m_bReceiveDisplayStale)
        return;
    UpdateData();
    m_timerReceivePaint.start();
}

void CDriversControlDlg::OnSelchangeTab(int nItem)
{
    const QRect client = m_ui.tabPages->rect();
    const QRect pageRect(10, 30, client.width() - 20, client.height() - 40);
    if (nItem == 0) {
        m_dlgSinglePoint.setGeometry(pageRect);
        m_dlgSinglePoint.show();
        m_dlgSinglePoint.raise();
        m_dlgSweep.setGeometry(pageRect);
        m_dlgSweep.hide();
        m_dlgStepping.hide();
    } else if (nItem == 1) {
        m_dlgSinglePoint.setGeometry(pageRect);
        m_dlgSinglePoint.hide();
        m_dlgSweep.setGeometry(pageRect);
        m_dlgSweep.show();
        m_dlgSweep.raise();
        m_dlgStepping.hide();
    } else if (nItem == 2) {
        m_dlgSinglePoint.hide();
        m_dlgSweep.hide();
        m_dlgStepping.setGeometry(pageRect);
        m_dlgStepping.show();
        m_dlgStepping.raise();
    }
}

// Armed here, so that the sweep page learns when the board has stopped.
void CDriversControlDlg::OnClose()
{
    m_watchClose.Send();
}

QString CDriversControlDlg::ComposeCloseFrame(int nRetry)
{
    m_strReceiveData.clear();
    UpdateData();
    return CloseFrame(nRetry);
}

void CDriversControlDlg::OnEmpty()
{
    m_strReceiveData.clear();
    UpdateData();
}

void CDriversControlDlg::FillPortList(const QList<PortEntry>& table)
{
    m_ui.cmbComPort->clear();
    for (int i = 0; i < table.size(); ++i) {
        m_ui.cmbComPort->insertItem(i, table[i].strName);
        m_ui.cmbComPort->setItemData(i, table[i].strDescription, Qt::ToolTipRole);
        m_ui.cmbComPort->setItemData(i, table[i].strLocation, kPortLocationRole);
        m_ui.cmbComPort->setItemData(i, PortIdentity(table[i]), kPortIdentityRole);
    }
}

void CDriversControlDlg::RememberOpenedPort(int nIndex)
{
    if (m_pPortMemory)
        m_pPortMemory->Remember(m_ui.cmbComPort->itemData(nIndex, kPortIdentityRole).toString());
}

void CDriversControlDlg::OnDropdownComPort()
{
    FillPortList(g_msComm.Ports().Read());
    m_ui.cmbComPort->setCurrentIndex(-1);
}

void CDriversControlDlg::OnSelchangeComPort(int nIndex)
{
    if (g_msComm.GetPortOpen())
        g_msComm.SetPortOpen(false);
    // The device the entry showed, even if another came or went since.
    g_msComm.SetCommPort(static_cast<short>(nIndex + 1), m_ui.cmbComPort->itemData(nIndex, kPortLocationRole).toString());
    if (g_msComm.GetPortOpen()) {
        ShowMessageBox(this, QStringLiteral("cannot open serial port"));
    } else {
        g_msComm.SetPortOpen(true);
        RememberOpenedPort(nIndex);
    }
    g_msComm.SetSettings(QStringLiteral("9600,n,8,1"));
    g_msComm.SetInputMode(1);
    g_msComm.SetRThreshold(1);
    g_msComm.SetInputLen(0);
    g_msComm.GetInput();
}

void CDriversControlDlg::OnComm()
{
    const short nEvent = g_msComm.GetCommEvent();
    if (nEvent == CMSComm::kEventReceive) {
        m_strReceiveData.clear();
        TakeReceivedReply(kReceiveBufferBytes);
        m_strReceiveData = g_strReply;
    }
    UpdateDataPaced();
    // Beyond refreshing the display: a device that went away must be told.
    if (nEvent == CMSComm::kEventDisconnected || nEvent == CMSComm::kEventPortError)
        ShowPortFault(this, g_msComm.LastEventText());
}

void CDriversControlDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}
