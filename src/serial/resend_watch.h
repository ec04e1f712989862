#pragma once

#include "serial/traffic_log.h"
#include "serial/watch_policies.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <exception>
#include <functional>

class CSerialLink;

// The counters of one watch. The page keeps them under its own names; the
// watch works on them.
struct WatchCounters {
    int& nRetry;
    bool& bDone;
    // Set while the watch itself resends, so that a send from the operator
    // keeps the ticks' rhythm.
    bool& bRetrying;
};

// Sends a frame over a link, watches the replies and resends with the count
// raised by one until the board acknowledges or the resends are spent. The
// board names no frame in its answer: only a reply that came after the frame
// was written answers it. At its ticks the watch judges the reply text it is
// given, which the window's receive path fills; a watch that judges on
// arrival keeps a text of its own and ends at the acknowledgement. What a
// page does beside the watch, it does in reaction to the signals.
class CResendWatch : public QObject {
    Q_OBJECT

public:
    // The frame text without its CRC, for a retry count.
    using Composer = std::function<QString(int nRetry)>;

    // strReply: the reply text the ticks judge, shared with the window; none
    // for a watch that judges on arrival.
    CResendWatch(const WatchPolicy& policy, WatchCounters counters, Composer compose, CSerialLink& link,
                 QString* pSharedReply = nullptr);
    // An exchange still open when its watch goes was stopped; the log says
    // so, the signals no more.
    ~CResendWatch() override;

    // A send the operator asked for, with the present count. The ticks start
    // unless the watch is resending. Throws what composing or writing throws.
    void Send();
    // Stopped by another watch's tick: the counters stay as they are.
    void Stop();
    // Stopped for good, with the count back to 0; the flags stay.
    void ShutDown();
    // Each tick of this watch first stops that one.
    void StopOnEachTick(CResendWatch* pOther);

    // Every exchange (a frame and its resends) ends with one verdict, in the
    // traffic log and in Concluded. Only the first conclusion after a frame
    // counts.
    void Conclude(WatchResult result, const QString& strError = QString());

    bool IsRunning() const;
    // The bytes of the last reply the link received; empty before any.
    QByteArray LastReply() const;

Q_SIGNALS:
    // After every frame written, with its CRC.
    void FrameWritten(const QString& strFrame, int nRetry);
    void Acknowledged();
    // A resend could not go out; the watch has ended.
    void SendFailed(const QString& strWhy, bool bPortFault);
    // A tick went through to its end; for a waiting watch, only one that
    // found a reply text. Pages do their own part of the tick here.
    void Ticked();
    void Concluded(WatchResult result, const QString& strError);

private:
    void OnReply(const QByteArray& bytes);
    void OnTick();
    void Acknowledge();
    void Write();
    bool Resend();
    bool SilenceRanOut() const;
    void GiveUpWhenSpent();
    void EndLastWait();
    void End();
    void ConcludeFailure(const std::exception& error);
    // Without an acknowledgement: refused when the last answer the watch
    // tested was another reply, gave up when there was none.
    WatchResult UnacknowledgedResult() const;
    // How long the last frame's answer is awaited: a waiting watch's silence
    // limit, or one period.
    int LastWaitMsecs() const;

    const WatchPolicy m_policy;
    WatchCounters m_counters;
    Composer m_compose;
    CSerialLink& m_link;
    QString m_strOwnReply;
    QString& m_strReply;
    QTimer m_timer;
    CResendWatch* m_pStopsOnTick = nullptr;
    // Receive events since the last frame went out.
    int m_nRepliesSinceFrame = 0;
    QByteArray m_lastReply;
    // The last frame tried and its count, for the verdict.
    QString m_strFrame;
    int m_nFrameRetry = 0;
    bool m_bExchangeOpen = false;
    bool m_bLastAnswerRefused = false;
    // Resends spent: a watch that judges on arrival waits for the last answer.
    bool m_bAwaitingLastAnswer = false;
    QElapsedTimer m_sinceFrame;
};
