#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QFile;
class QTimer;

// How one exchange of a watch (a frame and its resends) ended.
enum class WatchResult { Ack, Refused, GaveUp, Stopped, SendFailed };

// Its name in the log: ack, refused, gave_up, stopped, send_failed.
const char* WatchResultName(WatchResult result);

// What happened to the port.
enum class PortChange { Opened, Closed, Vanished, Error };

// The traffic log: every frame written, every receive event, every end of an
// exchange and every port event, one JSON object a line, appended to a file
// the operator names. It is off until opened, and then costs the wire
// nothing: a line is only gathered where it happens, and the lines of one
// turn of the event loop go to the file in one write at the end of that turn.
class CTrafficLog : public QObject {
    Q_OBJECT

public:
    // Tells the operator, once, why logging stopped.
    using Notice = std::function<void(const QString& strText)>;

    CTrafficLog();
    ~CTrafficLog() override;

    // Opens the file for appending, creating it if need be. False with the
    // reason in strError when it cannot be opened; the log then stays off.
    bool Open(const QString& strPath, QString& strError);
    // Writes what is gathered and closes the file.
    void Close();
    bool IsOn() const;

    // By default the notice is one line on stderr. It comes after the turn
    // whose write failed, outside the event loop's own bookkeeping; at Close
    // it comes at once.
    void SetNotice(Notice notice);

    void FrameWritten(const QString& strFrame);
    void Received(const QByteArray& bytes);
    // The frame is the exchange's last (empty when none could be composed)
    // and nRetry the count it carried or would have carried.
    void Verdict(const QString& strFrame, int nRetry, WatchResult result, const QString& strError);
    void Port(PortChange change, const QString& strDevice, const QString& strError);

    // Writes the gathered lines now, in one write.
    void Flush();

private:
    // Opens a line with its times; the caller adds the rest and ends it.
    void BeginLine();
    void EndLine();
    // Empty when the gathered lines went out whole; else why logging stopped.
    QString WritePending();
    void TellOperator(const QString& strText);

    std::unique_ptr<QFile> m_pFile;
    std::unique_ptr<QTimer> m_pFlushTimer;
    QMetaObject::Connection m_endOfTurn;
    QElapsedTimer m_sinceStart;
    QByteArray m_pending;
    Notice m_notice;
    bool m_bOn = false;
};
