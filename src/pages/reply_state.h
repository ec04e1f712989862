#pragma once

#include <QByteArray>
#include <QString>

// What the window's receive path leaves for the pages' watches; all of it
// lives on the GUI thread.

// Text of the bytes of the latest receive event, "%02X " per byte.
extern QString g_strReply;
// A receive event came and no sweep watch has shown a report from it yet.
extern int g_bReplyArrived;

// The window's receive path, for one receive event: takes at most
// nMostBytes of what g_msComm received, makes it the reply text and flags the
// arrival. Returns the bytes; throws CommError.
QByteArray TakeReceivedReply(qsizetype nMostBytes);
