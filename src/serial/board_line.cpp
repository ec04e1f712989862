#include "serial/board_line.h"

#include "serial/ms_comm.h"

void SetUpBoardLine(CMSComm& comm)
{
    comm.SetCommPort(1);
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
