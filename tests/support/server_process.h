#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTcpSocket>

#include <functional>
#include <memory>

// Polls until done() holds or the process deadline passes; false then.
bool WaitUntil(const std::function<bool()>& done);

// vevevar-cli serve on a free port, on the virtual board unless a device is
// given, with everything it prints. The options go before the command:
// board knobs, --log.
class ServerProcess {
public:
    explicit ServerProcess(const QStringList& options = {}, const QString& strDevice = QString());
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    quint16 Port() const { return m_nPort; }
    QString Out();
    // The frames the board took in, as it reported them.
    QStringList BoardFrames();
    // Ends as an interrupted server does; returns its exit code.
    int Terminate();
    qint64 Pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    quint16 m_nPort = 0;
    QString m_out;
    QString m_err;
};

std::unique_ptr<QTcpSocket> Connected(quint16 nPort);
// The next line the server answers, without its newline; empty when none
// comes.
QString Answer(QTcpSocket& socket);
QString Query(QTcpSocket& socket, const QByteArray& message);
