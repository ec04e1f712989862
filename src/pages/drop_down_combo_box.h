#pragma once

#include <QComboBox>

// A combo box that tells, just before its list opens, so that the owner can
// rebuild the list first. Its choice is made in the open list only: a wheel
// turned over it while the pointer passes would switch the serial port.
class CDropDownComboBox : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    void showPopup() override;

protected:
    void wheelEvent(QWheelEvent* pEvent) override;

Q_SIGNALS:
    void DropDown();
};
