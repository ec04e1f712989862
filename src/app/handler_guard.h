#pragma once

#include "app/message_box.h"
#include "serial/comm_error.h"

#include <QString>

#include <exception>

class QWidget;

// Who started a handler: the operator, or a watch's timer.
enum class HandlerOrigin { Operator, Watch };

// Runs one handler. A failure (a refused serial operation, a frame field
// that does not fit) is shown once with its description and skips the rest
// of the handler; it never reaches the event loop. A watch that runs into a
// fault the operator has already been told of stays quiet: every running
// watch would otherwise repeat the same news.
template <typename Handler>
void RunGuarded(QWidget* pParent, Handler&& handler, HandlerOrigin origin = HandlerOrigin::Operator)
{
    try {
        handler();
    } catch (const CommError& error) {
        if (origin == HandlerOrigin::Watch && error.AlreadyReported())
            return;
        ShowMessageBox(pParent, QString::fromStdString(error.what()));
    } catch (const std::exception& error) {
        ShowMessageBox(pParent, QString::fromStdString(error.what()));
    }
}
