#include "serial/send_frame.h"

#include "protocol/frame.h"
#include "serial/ms_comm.h"
#include "serial/traffic_log.h"

void SendFrame(QString& strFrame)
{
    g_msComm.SetOutput(SealFrame(strFrame));
    g_trafficLog.FrameWritten(strFrame);
}
