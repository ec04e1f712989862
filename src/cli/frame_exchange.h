#pragma once

#include "cli/command_plan.h"
#include "cli/exit_code.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class CRunOutput;

// Sends a command's frame over g_msComm and resends it by the rules of the
// window's watch for that frame, until the board acknowledges, the resends
// are spent or the time is up.
class CFrameExchange : public QObject {
    Q_OBJECT

public:
    CFrameExchange(CommandPlan plan, int nTimeoutMsecs, CRunOutput& output);

    void Start();

Q_SIGNALS:
    void Finished(ExitCode code, const QString& strMessage);

private:
    void OnComm();
    void OnTick();
    void Send();
    void Finish(ExitCode code, const QString& strMessage);
    void Guarded(const std::function<void()>& step);
    QString NoAcknowledgementText(const QString& strWhy) const;

    CommandPlan m_plan;
    int m_nTimeoutMsecs;
    CRunOutput& m_output;
    QTimer m_timerWatch;
    QTimer m_timerDeadline;
    int m_nRetry = 0;
    int m_nResends = 0;
    bool m_bReplySinceFrame = false;
    QString m_strLastReply;
    bool m_bFinished = false;
};
