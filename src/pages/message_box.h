#pragma once

#include <QString>

#include <functional>

class QWidget;

// Shows a modal message with an OK button and returns once it is closed, so
// the handler that shows it waits for the operator. Its event loop keeps
// timers and receive events going, as the watches expect: a message they
// show meanwhile opens its own box over it. A text already open is not shown
// again, so a repeating fault cannot flood.
void ShowMessageBox(QWidget* pParent, const QString& strText);

// Replaces the box, for tests; an empty function restores it.
using MessageBoxHook = std::function<void(const QString&)>;
void SetMessageBoxHook(MessageBoxHook hook);
