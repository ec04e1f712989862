#pragma once

#include <QList>

class CLatencySession;

// Times of one kind of click, each run from idle.
struct ClickTimes {
    QList<double> wireUs;      // click() called -> last byte of the frame at the board
    QList<double> handlerUs;   // click() called -> click() returned
    QList<double> reactionMs;  // the board's 4F 4B -> the watch has taken it
    int nFailedRuns = 0;       // no frame, a resend, or no reaction in time
};

// Send on the sending page: the reaction is the watch stopping.
ClickTimes RunSendClicks(CLatencySession& session, int nRuns);

// Scan on the scanning page: the reaction is the scan watch reading the
// 4F 4B (it keeps running for the reports); Close between runs.
ClickTimes RunScanClicks(CLatencySession& session, int nRuns);
