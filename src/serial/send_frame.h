#pragma once

#include <QString>

// Appends the CRC text to a composed frame (so the caller holds the whole
// frame afterwards) and writes its bytes to the port through g_msComm in one
// write. A refused write throws CommError.
void SendFrame(QString& strFrame);
