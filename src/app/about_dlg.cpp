#include "app/about_dlg.h"

#include "app/app_icon.h"

CAboutDlg::CAboutDlg(QWidget* pParent)
    : QDialog(pParent)
{
    m_ui.setupUi(this);
    m_ui.lblAbout->setText(QStringLiteral("Vevevar Azevora %1").arg(QStringLiteral(VEVEVAR_VERSION)));
    setWindowIcon(AppIcon());
}
