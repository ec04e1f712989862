#include "app/globals.h"

QString g_strReply;
quint64 g_nReceiveEvents = 0;
int g_bReplyArrived = 0;
unsigned char g_bScanning = 0;
unsigned char g_bCloseAcked = 0;
