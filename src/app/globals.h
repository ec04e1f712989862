#pragma once

#include <QString>
#include <QtGlobal>

// State the main window and both pages share; all of it lives on the GUI thread.

// Text of the bytes of the latest receive event, "%02X " per byte.
extern QString g_strReply;
// Receive events handled so far. A watch notes it when its frame goes out:
// only a reply counted after that answers the frame.
extern quint64 g_nReceiveEvents;
// A receive event came and no sweep watch has shown a report from it yet.
extern int g_bReplyArrived;
// A sweep was started and no single-point frame has been sent since.
extern unsigned char g_bScanning;
// The board acknowledged Close.
extern unsigned char g_bCloseAcked;
