#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// What the receive path leaves for the watches; all of it lives on the GUI
// thread (or the tool's one thread).

// Text of the bytes of the latest receive event, "%02X " per byte.
extern QString g_strReply;
// A receive event came and no sweep watch has shown a report from it yet.
extern int g_bReplyArrived;
// Receive events handled so far. A watch notes it when its frame goes out:
// only a reply counted after that answers the frame.
extern quint64 g_nReceiveEvents;

// The receive path of every front end, for one receive event: takes at most
// nMostBytes of what g_msComm received, makes it the reply text, counts the
// event and flags the arrival. Returns the bytes; throws CommError.
QByteArray TakeReceivedReply(qsizetype nMostBytes);
