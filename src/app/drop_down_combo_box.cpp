#include "app/drop_down_combo_box.h"

void CDropDownComboBox::showPopup()
{
    Q_EMIT DropDown();
    QComboBox::showPopup();
}
