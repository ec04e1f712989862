#include "pages/drop_down_combo_box.h"

#include <QWheelEvent>

void CDropDownComboBox::showPopup()
{
    Q_EMIT DropDown();
    QComboBox::showPopup();
}

void CDropDownComboBox::wheelEvent(QWheelEvent* pEvent)
{
    // Left to the parent, which may scroll.
    pEvent->ignore();
}
