#pragma once

#include "app/start_port.h"
#include "pages/single_point/single_point_page.h"
#include "pages/stepping/stepping_page.h"
#include "pages/sweep/sweep_page.h"
#include "serial/port_table.h"
#include "serial/resend_watch.h"
#include "ui_drivers_control_dlg.h"

#include <QDialog>
#include <QString>
#include <QTimer>

#include <memory>

class CPortMemory;

// The main window "Vevevar Azevora": the pages under their tabs, the
// port choice, Close and Empty, and the display of every reply.
class CDriversControlDlg : public QDialog {
    Q_OBJECT

public:
    explicit CDriversControlDlg(StartPort startPort = StartPort::First, QWidget* pParent = nullptr);
    ~CDriversControlDlg() override;

    CSinglePointPage& SinglePointPage() { return m_dlgSinglePoint; }
    CSweepPage& SweepPage() { return m_dlgSweep; }
    CSteppingPage& SteppingPage() { return m_dlgStepping; }
    const Ui::CDriversControlDlg& Controls() const { return m_ui; }

    // The tabs' handler, reached from a tab click.
    void OnSelchangeTab(int nItem);
    void OnClose();
    void OnEmpty();
    void OnDropdownComPort();
    void OnSelchangeComPort(int nIndex);
    void OnComm();
    void OnAbout();

private:
    void OnInitDialog();
    void SetUpSerialLink(int nIndex);
    void UpdateData();
    void UpdateDataPaced();
    void OnReceivePaintDue();
    // Close up to its frame: the display emptied, the frame composed.
    QString ComposeCloseFrame(int nRetry);
    void FillPortList(const QList<PortEntry>& table);
    // After a successful open of the entry at nIndex.
    void RememberOpenedPort(int nIndex);

    Ui::CDriversControlDlg m_ui;
    // Only when the window starts on the remembered port.
    const std::unique_ptr<CPortMemory> m_pPortMemory;
    CSinglePointPage m_dlgSinglePoint;
    CSweepPage m_dlgSweep;
    CSteppingPage m_dlgStepping;
    int m_nCloseRetry = 0;
    QString m_strFrame;
    bool m_bCloseRetrying = false;
    bool m_bCloseDone = false;
    QString m_strReceiveData;
    // The Close acknowledgement watch.
    CResendWatch m_watchClose;
    // Paces the receive display while replies stream in.
    QTimer m_timerReceivePaint;
    bool m_bReceiveDisplayStale = false;
};
