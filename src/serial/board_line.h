#pragma once

class CMSComm;

// Opens CommPort 1 for the board as the window's start-up does, in its order:
// buffers, the port, binary input, "9600,n,8,1", an event per received byte
// and reads that take everything buffered. A refusal throws CommError and
// leaves the rest undone.
void SetUpBoardLine(CMSComm& comm);
