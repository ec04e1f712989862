#pragma once

#include "cli/exit_code.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QString>
#include <QStringList>

#include <optional>

// What a run shows: as text while it happens (notices and errors on stderr,
// the exchange on stdout), or with --json as one object at the end.
class CRunOutput {
public:
    explicit CRunOutput(bool bJson);

    void SetCommand(const QString& strCommand);
    void SetPort(const QString& strPort);
    void Notice(const QString& strText);
    void FrameSent(int nRetry, const QString& strFrame);
    // The same, for the object alone: a stepped run shows its points instead.
    void FrameRecorded(int nRetry, const QString& strFrame);
    void Reply(const QByteArray& bytes, std::optional<float> frequencyMHz);
    // Bytes the board sent unasked, marked as a report with its frequency,
    // or as not a report.
    void Received(const QByteArray& bytes, std::optional<float> frequencyMHz);
    void BoardReceived(const QStringList& frames);
    // One frame, shown as the board takes it in.
    void BoardFrame(const QString& strFrame);
    int FramesSent() const;
    // A stepped point's exchange ended: its record, and its line for text.
    void PointDone(const QJsonObject& record, const QString& strLine);
    // On a terminal, the one line that shows how a run goes, redrawn.
    void Progress(const QString& strLine);
    void SetLateCount(int nLate);

    // Prints the result and returns the exit status.
    int Finish(ExitCode code, const QString& strMessage);

private:
    void AddReply(const QByteArray& bytes, std::optional<float> frequencyMHz, bool bMarkReports);
    double Seconds() const;
    void ClearProgress();
    void DrawProgress();

    bool m_bJson;
    QElapsedTimer m_clock;
    QString m_strCommand;
    QString m_strPort;
    QStringList m_notices;
    QJsonArray m_framesSent;
    QJsonArray m_replies;
    std::optional<QStringList> m_boardFrames;
    std::optional<QJsonArray> m_points;
    int m_nLate = 0;
    bool m_bTerminal;
    bool m_bProgressShown = false;
    QString m_strProgress;
};

void PrintToStdout(const QString& strText);
