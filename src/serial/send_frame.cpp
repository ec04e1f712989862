#include "serial/send_frame.h"

#include "protocol/frame.h"
#include "serial/ms_comm.h"

void SendFrame(QString& strFrame)
{
    g_msComm.SetOutput(SealFrame(strFrame));
}
