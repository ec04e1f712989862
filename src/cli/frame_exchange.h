#pragma once

#include "cli/exit_code.h"
#include "serial/resend_watch.h"

#include <QObject>
#include <QString>
#include <QTimer>

// Sends one frame over g_msComm through the watch the window uses for that
// frame, until the board acknowledges, the resends are spent or the time is
// up. What a program adds to the window's watch: it must learn the outcome,
// so the last frame gets its answer's time before the exchange counts as
// refused, and an acknowledgement ends the exchange.
class CFrameExchange : public QObject {
    Q_OBJECT

public:
    // nTimeoutMsecs 0: no deadline beyond the watch's own resends.
    CFrameExchange(const WatchPolicy& policy, CResendWatch::Composer compose, int nTimeoutMsecs = 0);

    void Start();
    // After every receive event the receive path took in.
    void OnReply();
    void OnPortFailure(const QString& strWhy);

    int FramesSent() const;

Q_SIGNALS:
    void FrameWritten(const QString& strFrame, int nRetry);
    void Finished(ExitCode code, const QString& strMessage);

private:
    void Finish(ExitCode code, const QString& strMessage);
    QString NoAcknowledgementText(const QString& strWhy) const;

    int m_nTimeoutMsecs;
    int m_nRetry = 0;
    bool m_bDone = false;
    bool m_bRetrying = false;
    CResendWatch m_watch;
    QTimer m_timerDeadline;
    QTimer m_timerLastAnswer;
    QString m_strLastReply;
    int m_nFramesSent = 0;
    bool m_bFinished = false;
};
