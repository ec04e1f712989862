#pragma once

#include <QString>

#include <functional>

class QWidget;

// Shows a modal message with an OK button. Its event loop keeps timers and
// receive events going, as the watches expect. One box is open at a time: a
// message that comes while one is open is shown after it, and a text already
// open or waiting is not shown again, so a repeating fault cannot flood.
void ShowMessageBox(QWidget* pParent, const QString& strText);

// Replaces the box, for tests; an empty function restores it.
using MessageBoxHook = std::function<void(const QString&)>;
void SetMessageBoxHook(MessageBoxHook hook);
