#pragma once

#include "cli/command_plan.h"
#include "cli/exit_code.h"
#include "serial/resend_watch.h"

#include <QObject>
#include <QString>
#include <QTimer>

class CRunOutput;

// Sends a command's frame over g_msComm through the watch the window uses
// for that frame, until the board acknowledges, the resends are spent or the
// time is up. What the tool adds: a script learns the outcome, so the last
// frame gets one period for its answer before the run counts as refused.
class CFrameExchange : public QObject {
    Q_OBJECT

public:
    CFrameExchange(CommandPlan plan, int nTimeoutMsecs, CRunOutput& output);

    void Start();

Q_SIGNALS:
    void Finished(ExitCode code, const QString& strMessage);

private:
    void OnComm();
    void OnGaveUp();
    void Finish(ExitCode code, const QString& strMessage);
    QString NoAcknowledgementText(const QString& strWhy) const;

    CommandPlan m_plan;
    int m_nTimeoutMsecs;
    CRunOutput& m_output;
    int m_nRetry = 0;
    bool m_bDone = false;
    bool m_bRetrying = false;
    CResendWatch m_watch;
    QTimer m_timerDeadline;
    QTimer m_timerLastAnswer;
    QString m_strLastReply;
    // Any reply after the last frame answers it; an acknowledgement ends the run at once.
    quint64 m_nRepliesBeforeLastAnswer = 0;
    bool m_bFinished = false;
};
