#pragma once

#include "app/message_box.h"

#include <QString>

#include <exception>

class QWidget;

// Runs one handler. A failure (a refused serial operation, a frame field
// that does not fit) is shown once with its description and skips the rest
// of the handler; it never reaches the event loop.
template <typename Handler>
void RunGuarded(QWidget* pParent, Handler&& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        ShowMessageBox(pParent, QString::fromStdString(error.what()));
    }
}
