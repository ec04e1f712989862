#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The tool's receive path: every receive event of g_msComm taken in as the
// window takes it, so that the watches see the reply, and handed on to
// whoever shows or reads it.
class CReceivePath : public QObject {
    Q_OBJECT

public:
    CReceivePath();

Q_SIGNALS:
    // g_strReply holds the reply by now.
    void Received(const QByteArray& bytes);
    void PortFailed(const QString& strWhy);

private:
    void OnComm();
};
