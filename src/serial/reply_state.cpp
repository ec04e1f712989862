#include "serial/reply_state.h"

#include "protocol/reply_text.h"
#include "serial/ms_comm.h"
#include "serial/traffic_log.h"

QString g_strReply;
int g_bReplyArrived = 0;
quint64 g_nReceiveEvents = 0;

QByteArray TakeReceivedReply(qsizetype nMostBytes)
{
    g_strReply.clear();
    g_bReplyArrived = 1;
    ++g_nReceiveEvents;
    const QByteArray bytes = g_msComm.GetInput().left(nMostBytes);
    g_strReply = ReplyText(bytes);
    g_trafficLog.Received(bytes);
    return bytes;
}
