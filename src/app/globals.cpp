#include "app/globals.h"

QString g_strReply;
int g_bReplyArrived = 0;
unsigned char g_bScanning = 0;
unsigned char g_bCloseAcked = 0;
