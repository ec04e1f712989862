#include "support/server_process.h"

#include "support/cli_test.h"

#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QTest>

bool WaitUntil(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(kProcessMsecs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(2);
    }
    return true;
}

ServerProcess::ServerProcess(const QStringList& options, const QString& strDevice)
{
    const QStringList board = strDevice.isEmpty() ? QStringList{QStringLiteral("--simulate")}
                                                  : QStringList{QStringLiteral("--port"), strDevice};
    m_process.start(QStringLiteral(VEVEVAR_CLI_PATH),
                    board + options +
                        QStringList{QStringLiteral("serve"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
    static const QRegularExpression listening(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)\\n"));
    QRegularExpressionMatch match;
    WaitUntil([&] { return (match = listening.match(Out())).hasMatch() || m_process.state() == QProcess::NotRunning; });
    m_nPort = static_cast<quint16>(match.captured(1).toUInt());
}

ServerProcess::~ServerProcess()
{
    m_process.kill();
    m_process.waitForFinished(kProcessMsecs);
}

QString ServerProcess::Out()
{
    m_out += QString::fromUtf8(m_process.readAllStandardOutput());
    return m_out;
}

QStringList ServerProcess::BoardFrames()
{
    m_err += QString::fromUtf8(m_process.readAllStandardError());
    static const QRegularExpression frame(QStringLiteral("board received (.+)\\n"));
    QStringList frames;
    for (auto it = frame.globalMatch(m_err); it.hasNext();)
        frames.append(it.next().captured(1));
    return frames;
}

int ServerProcess::Terminate()
{
    m_process.terminate();
    if (!m_process.waitForFinished(kProcessMsecs) || m_process.exitStatus() != QProcess::NormalExit)
        return -1;
    Out();
    return m_process.exitCode();
}

std::unique_ptr<QTcpSocket> Connected(quint16 nPort)
{
    auto pSocket = std::make_unique<QTcpSocket>();
    pSocket->connectToHost(QStringLiteral("127.0.0.1"), nPort);
    WaitUntil([&] { return pSocket->state() == QAbstractSocket::ConnectedState; });
    return pSocket;
}

QString Answer(QTcpSocket& socket)
{
    if (!WaitUntil([&] { return socket.canReadLine(); }))
        return QString();
    return QString::fromUtf8(socket.readLine()).chopped(1);
}

QString Query(QTcpSocket& socket, const QByteArray& message)
{
    socket.write(message + '\n');
    return Answer(socket);
}
