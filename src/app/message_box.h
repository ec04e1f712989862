#pragma once

#include <QString>

#include <functional>

class QWidget;

// Shows a modal message with an OK button. Its event loop keeps timers and
// receive events going, as the watches expect. A text already on screen is
// not opened a second time, so a fault that repeats while its box is open
// does not stack boxes.
void ShowMessageBox(QWidget* pParent, const QString& strText);

// Replaces the box, for tests; an empty function restores it.
using MessageBoxHook = std::function<void(const QString&)>;
void SetMessageBoxHook(MessageBoxHook hook);
