#include "serial/board_line.h"

#include "serial/serial_link.h"
#include "serial/port_table.h"

void SetUpBoardLine(CSerialLink& comm, short nPort, const QString& strLocation)
{
    comm.SetCommPort(nPort, strLocation);
    comm.SetInBufferSize(1024);
    comm.SetOutBufferSize(512);
    // The port is opened before the line settings are applied.
    if (!comm.GetPortOpen())
        comm.SetPortOpen(true);
    comm.SetInputMode(1);
    comm.SetSettings(QStringLiteral("9600,n,8,1"));
    comm.SetRThreshold(1);
    comm.SetInputLen(0);
}

void SetUpBoardLine(CSerialLink& comm)
{
    SetUpBoardLine(comm, 1, comm.Ports().LocationAt(1));
}
