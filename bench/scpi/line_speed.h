#pragma once

#include <QList>
#include <QString>

class QTcpSocket;

// How fast a script drives the board, beside the line's own time for a frame
// and its answer.

// Round trips of FREQ x MHZ;*OPC? on a connected server whose output is on,
// in milliseconds; empty when one went unanswered.
QList<double> OpcRoundTripsMs(QTcpSocket& socket, int nCommands);

// From the last byte of the board's 4F 4B to the answer at the client, in
// milliseconds, over nCommands FREQ x MHZ;*OPC?, with the bench itself as the
// board on a pseudo-terminal. Empty with strError set when it could not run.
QList<double> AnswerAfterAcknowledgementMs(const QString& strCli, int nCommands, QString& strError);

// A vevevar-cli --simulate point run: from exec to exit, and from the
// acknowledgement's arrival (the traffic log's time) to exit, in milliseconds.
struct PointRuns {
    QList<double> wholeMs;
    QList<double> exitAfterAckMs;
    int nFailed = 0;
};
PointRuns RunPointCommands(const QString& strCli, int nRuns);
