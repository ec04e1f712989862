#pragma once

#include <QList>

class CLatencySession;

// How soon "Current Frequency" shows a report during a sweep.
struct ReportTimes {
    QList<double> fromWriteMs;    // the board wrote the report -> the field shows it
    QList<double> fromReceiveMs;  // the receive event that brought it -> the field shows it
    int nUnmatched = 0;           // a new text that no report explains
};

// Scans with the board reporting every nReportMs (a period that drifts
// against the 50 ms watch, so every phase is met) until nRuns reports have
// been shown, then closes.
ReportTimes RunReports(CLatencySession& session, int nRuns, int nReportMs);
