#pragma once

#include <QString>

class QAbstractButton;

// A caption that changes while the program runs, and the accessible name
// with it, so that a screen reader announces the action the button does now.
void SetCaption(QAbstractButton* pButton, const QString& strCaption);
