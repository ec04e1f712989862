#pragma once

#include "serial/traffic_log.h"
#include "serial/watch_policies.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <exception>
#include <functional>

// The counters of one watch. The page keeps them under its own names; the
// watch works on them.
struct WatchCounters {
    int& nRetry;
    bool& bDone;
    // Set while the watch itself resends, so that a send from the operator
    // keeps the ticks' rhythm.
    bool& bRetrying;
};

// Sends a frame, watches the replies on its ticks and resends with the count
// raised by one until the board acknowledges or the resends are spent. What
// the watch reads is g_strReply and g_nReceiveEvents; a reply counts only when
// it came after the frame was written. What a page does beside the watch, it
// does in reaction to the signals.
class CResendWatch : public QObject {
    Q_OBJECT

public:
    // The frame text without its CRC, for a retry count.
    using Composer = std::function<QString(int nRetry)>;
    // Seals and writes a frame; throws when the port refuses.
    using Writer = std::function<void(QString& strFrame)>;

    CResendWatch(const WatchPolicy& policy, WatchCounters counters, Composer compose, Writer write);
    // An exchange still open when its watch goes was stopped.
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

    // Every exchange (a frame and its resends) ends with one verdict in the
    // traffic log. The watch gives it, except where its owner waits for the
    // answer to the last frame once the resends are spent: then the owner
    // concludes. Only the first conclusion after a frame counts.
    void AwaitLastAnswer();
    void Conclude(WatchResult result, const QString& strError = QString());
    // The owner's wait for the last frame's answer is over without an
    // acknowledgement: refused when any reply came after that frame.
    void ConcludeUnanswered();

    bool IsRunning() const;

Q_SIGNALS:
    // After every frame written, with its CRC.
    void FrameWritten(const QString& strFrame, int nRetry);
    void Acknowledged();
    void GaveUp();
    // A resend could not go out; the watch has ended.
    void SendFailed(const QString& strWhy, bool bPortFault);
    // A tick went through to its end; for a waiting watch, only one that
    // found a reply text. Pages do their own part of the tick here.
    void Ticked();

private:
    void OnTick();
    void Write();
    bool Resend();
    bool SilenceRanOut() const;
    void GiveUpWhenSpent();
    void End();
    void ConcludeFailure(const std::exception& error);
    // Without an acknowledgement: refused when the last answer the watch
    // tested was another reply, gave up when there was none.
    WatchResult UnacknowledgedResult() const;

    const WatchPolicy m_policy;
    WatchCounters m_counters;
    Composer m_compose;
    Writer m_write;
    QTimer m_timer;
    CResendWatch* m_pStopsOnTick = nullptr;
    // g_nReceiveEvents when the last frame went out.
    quint64 m_nRepliesBeforeFrame = 0;
    // The last frame tried and its count, for the verdict.
    QString m_strFrame;
    int m_nFrameRetry = 0;
    bool m_bExchangeOpen = false;
    bool m_bLastAnswerRefused = false;
    bool m_bAwaitsLastAnswer = false;
    QElapsedTimer m_sinceFrame;
};
