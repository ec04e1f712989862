#include "app/drivers_control_app.h"

#include "app/drivers_control_dlg.h"

int CDriversControlApp::InitInstance()
{
    CDriversControlDlg dlg;
    dlg.exec();
    return 0;
}
