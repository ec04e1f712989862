#include "pages/port_fault.h"

#include "pages/message_box.h"

namespace {

bool& FaultShown()
{
    static bool bShown = false;
    return bShown;
}

} // namespace

void ShowPortFault(QWidget* pParent, const QString& strText)
{
    if (FaultShown())
        return;
    FaultShown() = true;
    ShowMessageBox(pParent, strText);
}

void ShowFailure(QWidget* pParent, const QString& strText, bool bPortFault)
{
    if (bPortFault)
        ShowPortFault(pParent, strText);
    else
        ShowMessageBox(pParent, strText);
}

void ForgetShownPortFault()
{
    FaultShown() = false;
}
