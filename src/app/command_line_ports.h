#pragma once

#include "app/start_port.h"

#include <QString>

class CVirtualBoard;

// The ports the command line gave, either of them possibly absent.
struct CommandLinePorts {
    const CVirtualBoard* pSimulated = nullptr;  // the virtual board (--simulate)
    QString strGiven;                            // --port DEVICE, a device or a by-id path
};

// Lists the given ports ahead of the system's, the virtual board first, and
// says where the window starts: on the first of them, or, with none given,
// on the remembered port.
StartPort ListCommandLinePorts(const CommandLinePorts& ports);
