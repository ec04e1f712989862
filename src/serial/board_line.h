#pragma once

#include <QString>

class CSerialLink;

// Opens CommPort nPort, on the device at strLocation, for the board as the
// window's start-up does, in its order: buffers, the port, binary input,
// "9600,n,8,1", an event per received byte and reads that take everything
// buffered. A refusal throws CommError and leaves the rest undone.
void SetUpBoardLine(CSerialLink& comm, short nPort, const QString& strLocation);
// The same on CommPort 1, wherever the port table has it.
void SetUpBoardLine(CSerialLink& comm);
