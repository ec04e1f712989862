#include "app/command_line_ports.h"

#include "pages/ms_comm.h"

StartPort ListCommandLinePorts(const CommandLinePorts& ports)
{
    if (!ports.strSimulated.isEmpty())
        g_msComm.Ports().AddPreferred(ports.strSimulated, QStringLiteral("Virtual board (simulated, on a pseudo-terminal)"));
    if (!ports.strGiven.isEmpty())
        g_msComm.Ports().AddPreferred(ports.strGiven, QStringLiteral("Given on the command line"));
    return ports.strSimulated.isEmpty() && ports.strGiven.isEmpty() ? StartPort::Remembered : StartPort::First;
}
