#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What the board wrote: when each report went out, and what it saw.
struct BoardLog {
    QList<qint64> writtenNs;  // report k at index k
    int nFramesDuringStream = 0;
    int nBlockedWrites = 0;
};

// Reads the board's printout; false when it is not one.
bool ParseBoardLog(const QByteArray& output, BoardLog& log);

struct ShownText {
    qint64 nNs;
    QString strText;
};

// What the window did, noted in the measured process.
struct WindowRecord {
    QList<double> cpuPercentPerSecond;  // of one core, in whole seconds of the stream
    double dCpuPercentWhole = 0;
    double dIdleCpuPercent = 0;
    qint64 nFirstReportNs = 0;
    qint64 nMeasuredUntilNs = 0;
    int nReceiveEvents = 0;
    qint64 nBytesReceived = 0;
    QList<ShownText> shown;   // each new text of Current Frequency
    // Current Frequency as each tick of the scan watch found it, that is,
    // what the tick before showed.
    QList<ShownText> tickTexts;
    QString strFinalText;     // once the stream has ended and settled
    QStringList messages;
};
