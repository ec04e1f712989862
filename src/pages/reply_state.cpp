#include "pages/reply_state.h"

#include "pages/ms_comm.h"
#include "protocol/reply_text.h"

QString g_strReply;
int g_bReplyArrived = 0;

QByteArray TakeReceivedReply(qsizetype nMostBytes)
{
    g_strReply.clear();
    g_bReplyArrived = 1;
    const QByteArray bytes = g_msComm.GetInput().left(nMostBytes);
    g_strReply = ReplyText(bytes);
    return bytes;
}
