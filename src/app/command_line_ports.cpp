#include "app/command_line_ports.h"

#include "serial/port_table.h"

StartPort ListCommandLinePorts(const CommandLinePorts& ports)
{
    if (!ports.strSimulated.isEmpty())
        AddPreferredPort(ports.strSimulated, QStringLiteral("Virtual board (simulated, on a pseudo-terminal)"));
    if (!ports.strGiven.isEmpty())
        AddPreferredPort(ports.strGiven, QStringLiteral("Given on the command line"));
    return ports.strSimulated.isEmpty() && ports.strGiven.isEmpty() ? StartPort::Remembered : StartPort::First;
}
