#pragma once

#include "serial/resend_watch.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class CSerialLink;

// One frame and its resends, for a program that drives the board: sent
// through the window's watch for that frame, judged as each reply arrives,
// and ended by one verdict, as a QModbusReply ends a Modbus request.
class CBoardExchange : public QObject {
    Q_OBJECT

public:
    CBoardExchange(CSerialLink& link, const WatchPolicy& policy, CResendWatch::Composer compose,
                   QObject* pParent = nullptr);

    // Gives up this long after the send, whatever the resends; 0 for no limit.
    void SetTimeout(int nMsecs);
    // Sends the first frame; finished may come before it returns.
    void Send();
    // Ends the exchange as stopped, such as when the port failed.
    void Stop();

    bool IsFinished() const;
    WatchResult Result() const;
    // Why a frame could not go out, and whether the port refused it rather
    // than a value its field.
    QString ErrorText() const;
    bool IsPortFault() const;
    bool TimedOut() const;
    int FramesSent() const;
    // The last frame written, with its CRC; empty before the first.
    QString LastFrame() const;
    QByteArray LastReply() const;

Q_SIGNALS:
    void frameWritten(const QString& strFrame, int nRetry);
    void finished(WatchResult result);

private:
    void Finish(WatchResult result);

    int m_nRetry = 0;
    bool m_bDone = false;
    bool m_bRetrying = false;
    CResendWatch m_watch;
    QTimer m_timerDeadline;
    WatchResult m_result = WatchResult::Stopped;
    QString m_strError;
    QString m_strLastFrame;
    bool m_bPortFault = false;
    bool m_bTimedOut = false;
    bool m_bFinished = false;
    int m_nFramesSent = 0;
};
