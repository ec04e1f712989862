#include "cli/serve_command.h"

#include "board/virtual_board.h"
#include "cli/board_link.h"
#include "cli/exit_code.h"
#include "board/interrupt_watch.h"
#include "cli/run_output.h"
#include "scpi/instrument_state.h"
#include "server/scpi_server.h"
#include "serial/comm_error.h"

#include <QEventLoop>
#include <QHostAddress>

namespace {

struct ListenAddress {
    QHostAddress address;
    quint16 nPort = 0;
};

// HOST:PORT, the host an IP address (an IPv6 one in brackets) or localhost.
ListenAddress ReadListenAddress(const QString& strText)
{
    const qsizetype nColon = strText.lastIndexOf(QLatin1Char(':'));
    QString strHost = strText.left(nColon);
    if (strHost.startsWith(QLatin1Char('[')) && strHost.endsWith(QLatin1Char(']')))
        strHost = strHost.mid(1, strHost.size() - 2);
    bool bPortOk = false;
    const uint nPort = strText.mid(nColon + 1).toUInt(&bPortOk);
    ListenAddress listen;
    listen.address = strHost == QLatin1String("localhost") ? QHostAddress(QHostAddress::LocalHost)
                                                           : QHostAddress(strHost);
    listen.nPort = static_cast<quint16>(nPort);
    if (nColon < 0 || listen.address.isNull() || !bPortOk || nPort > 65535) {
        throw InputError(QStringLiteral("--listen needs HOST:PORT, such as 127.0.0.1:5025 or 0.0.0.0:5025; got \"%1\".")
                             .arg(strText));
    }
    return listen;
}

quint16 NeighbourPort(quint16 nPort)
{
    return nPort < 65535 ? nPort + 1 : nPort - 1;
}

// The address given, with another port.
QString ListenText(const ListenAddress& listen, quint16 nPort)
{
    const QString strHost = listen.address.protocol() == QAbstractSocket::IPv6Protocol
                                ? QStringLiteral("[%1]").arg(listen.address.toString())
                                : listen.address.toString();
    return QStringLiteral("%1:%2").arg(strHost).arg(nPort);
}

QString BoardFrameText(const ReceivedFrame& frame)
{
    if (frame.verdict == SplitFrame::Verdict::Good)
        return frame.Hex();
    return QStringLiteral("%1 (%2)").arg(frame.Hex(), VerdictText(frame.verdict));
}

} // namespace

int RunServe(const CliOptions& options, CRunOutput& output, CTrafficLog& log)
{
    ListenAddress listen;
    try {
        listen = ReadListenAddress(options.strListen);
    } catch (const InputError& error) {
        return output.Finish(ExitCode::BadInput, QString::fromStdString(error.what()));
    }
    CBoardLink link;
    CInstrumentState state;
    CScpiServer server(state, link.Link());
    QObject::connect(&server, &CScpiServer::logLine, &server,
                     [](const QString& strLine) { PrintToStdout(strLine + QLatin1Char('\n')); });
    // An address it cannot have never touches the port.
    if (!server.Listen(listen.address, listen.nPort)) {
        if (server.AddressInUse()) {
            return output.Finish(ExitCode::PortFailure, QStringLiteral("%1 is in use by another program; serve on "
                                                                       "another port, such as --listen %2, or "
                                                                       "--listen %3 for a free one.")
                                                            .arg(options.strListen, ListenText(listen, NeighbourPort(listen.nPort)),
                                                                 ListenText(listen, 0)));
        }
        return output.Finish(ExitCode::BadInput,
                             QStringLiteral("Cannot listen on %1: %2.").arg(options.strListen, server.ErrorText()));
    }
    try {
        link.Open(options, output, &log);
    } catch (const CommError& error) {
        return output.Finish(ExitCode::PortFailure, QString::fromStdString(error.what()));
    }
    if (link.HasBoard()) {
        QObject::connect(link.Board(), &CVirtualBoard::FrameReceived, &server,
                         [&output](const ReceivedFrame& frame) { output.BoardFrame(BoardFrameText(frame)); });
    }
    PrintToStdout(QStringLiteral("listening on %1\n").arg(server.ListeningText()));
    if (!listen.address.isLoopback()) {
        output.Notice(QStringLiteral("%1 is reachable from other machines: whoever reaches it drives the board.")
                          .arg(server.ListeningText()));
    }

    CInterruptWatch interruptWatch;
    QEventLoop loop;
    QObject::connect(&interruptWatch, &CInterruptWatch::Interrupted, &loop, &QEventLoop::quit);
    loop.exec();

    server.Close();
    try {
        link.Link().SetPortOpen(false);
    } catch (const CommError& error) {
        output.Notice(QString::fromStdString(error.what()));
    }
    return output.Finish(ExitCode::Success, QString());
}
