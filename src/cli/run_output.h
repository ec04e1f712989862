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
    void Reply(const QByteArray& bytes, std::optional<float> frequencyMHz);
    // Bytes the board sent unasked, marked as a report with its frequency,
    // or as not a report.
    void Received(const QByteArray& bytes, std::optional<float> frequencyMHz);
    void BoardReceived(const QStringList& frames);
    // One frame, shown as the board takes it in.
    void BoardFrame(const QString& strFrame);
    int FramesSent() const;

    // Prints the result and returns the exit status.
    int Finish(ExitCode code, const QString& strMessage);

private:
    void AddReply(const QByteArray& bytes, std::optional<float> frequencyMHz, bool bMarkReports);
    double Seconds() const;

    bool m_bJson;
    QElapsedTimer m_clock;
    QString m_strCommand;
    QString m_strPort;
    QStringList m_notices;
    QJsonArray m_framesSent;
    QJsonArray m_replies;
    std::optional<QStringList> m_boardFrames;
};

void PrintToStdout(const QString& strText);
