#include "app/drivers_control_app.h"

#include "app/drivers_control_dlg.h"

int CDriversControlApp::InitInstance(StartPort startPort)
{
    CDriversControlDlg dlg(startPort);
    dlg.exec();
    return 0;
}
