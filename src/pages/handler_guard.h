#pragma once

#include "pages/message_box.h"
#include "pages/port_fault.h"
#include "serial/comm_error.h"

#include <QString>

#include <exception>

class QWidget;

// Who started a handler: the operator (a click, a port picked) or an event
// (a field's change, a receive event, a watch's tick).
enum class HandlerOrigin { Operator, Event };

// Runs one handler. A failure (a refused serial operation, a frame field
// that does not fit) is shown with its description and skips the rest of
// the handler; it never reaches the event loop.
template <typename Handler>
void RunGuarded(QWidget* pParent, Handler&& handler, HandlerOrigin origin = HandlerOrigin::Event)
{
    if (origin == HandlerOrigin::Operator)
        ForgetShownPortFault();
    try {
        handler();
    } catch (const CommError& error) {
        ShowPortFault(pParent, QString::fromStdString(error.what()));
    } catch (const std::exception& error) {
        ShowMessageBox(pParent, QString::fromStdString(error.what()));
    }
}
