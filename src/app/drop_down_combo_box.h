#pragma once

#include <QComboBox>

// A combo box that tells, just before its list opens, so that the owner can
// rebuild the list first.
class CDropDownComboBox : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    void showPopup() override;

Q_SIGNALS:
    void DropDown();
};
