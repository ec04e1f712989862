#include "app/command_line_ports.h"

#include "board/virtual_board.h"
#include "pages/ms_comm.h"

StartPort ListCommandLinePorts(const CommandLinePorts& ports)
{
    if (const CVirtualBoard* pBoard = ports.pSimulated) {
        g_msComm.Ports().AddPreferred(pBoard->PortName(), pBoard->PortDescription());
        if (QIODevice* pClientEnd = pBoard->ClientEnd())
            g_msComm.AddDevicePort(pBoard->PortName(), *pClientEnd);
    }
    if (!ports.strGiven.isEmpty())
        g_msComm.Ports().AddPreferred(ports.strGiven, QStringLiteral("Given on the command line"));
    return !ports.pSimulated && ports.strGiven.isEmpty() ? StartPort::Remembered : StartPort::First;
}
