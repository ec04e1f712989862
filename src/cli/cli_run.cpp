#include "cli/cli_run.h"

#include "cli/board_link.h"
#include "cli/cli_help.h"
#include "cli/cli_options.h"
#include "cli/command_plan.h"
#include "cli/exit_code.h"
#include "cli/monitor.h"
#include "cli/port_listing.h"
#include "cli/run_output.h"
#include "cli/serve_command.h"
#include "cli/stepped_command.h"
#include "protocol/reply_text.h"
#include "serial/board_exchange.h"
#include "serial/comm_error.h"
#include "serial/traffic_log.h"

#include <QEventLoop>
#include <QTimer>

#include <optional>

namespace {

struct Outcome {
    ExitCode code = ExitCode::Success;
    QString strMessage;
};

Outcome Monitor(CSerialLink& link, const CliOptions& options, CRunOutput& output)
{
    Outcome outcome;
    QEventLoop loop;
    CMonitor monitor(link, output);
    QObject::connect(&monitor, &CMonitor::Finished, &loop, [&outcome, &loop](ExitCode code, const QString& strMessage) {
        outcome = {code, strMessage};
        loop.quit();
    });
    QTimer::singleShot(0, &monitor, [&monitor, &options] { monitor.Start(options.durationMsecs); });
    loop.exec();
    return outcome;
}

QString NoAcknowledgementText(const CBoardExchange& exchange, int nTimeoutMsecs)
{
    const QString strWhy = exchange.TimedOut()
                               ? QStringLiteral("no acknowledgement within %1 ms").arg(nTimeoutMsecs)
                               : QStringLiteral("%1 resends unanswered").arg(exchange.FramesSent() - 1);
    const QByteArray lastReply = exchange.LastReply();
    const QString strLast = lastReply.isEmpty() ? QStringLiteral("no reply at all")
                                                : QStringLiteral("last reply %1").arg(ReplyText(lastReply).trimmed());
    return QStringLiteral("The board did not acknowledge: %1 (frames sent: %2, %3).")
        .arg(strWhy)
        .arg(exchange.FramesSent())
        .arg(strLast);
}

// The exchange's verdict as the tool's exit status and message.
Outcome ExchangeOutcome(const CBoardExchange& exchange, const QString& strPortFailure, int nTimeoutMsecs)
{
    if (!strPortFailure.isEmpty())
        return {ExitCode::PortFailure, strPortFailure};
    switch (exchange.Result()) {
    case WatchResult::Ack:
        return {ExitCode::Success, QString()};
    case WatchResult::SendFailed:
        return {exchange.IsPortFault() ? ExitCode::PortFailure : ExitCode::BadInput, exchange.ErrorText()};
    case WatchResult::Refused:
    case WatchResult::GaveUp:
    case WatchResult::Stopped:
        break;
    }
    return {ExitCode::NoAcknowledgement, NoAcknowledgementText(exchange, nTimeoutMsecs)};
}

Outcome Exchange(CSerialLink& link, const CliOptions& options, const CommandPlan& plan, CRunOutput& output)
{
    CBoardExchange exchange(link, plan.policy, plan.compose);
    exchange.SetTimeout(options.nTimeoutMsecs);
    QString strPortFailure;
    QEventLoop loop;
    QObject::connect(&exchange, &CBoardExchange::frameWritten, &loop,
                     [&output](const QString& strFrame, int nRetry) { output.FrameSent(nRetry, strFrame); });
    QObject::connect(&link, &CSerialLink::replyReceived, &loop,
                     [&output](const QByteArray& bytes) { output.Reply(bytes, std::nullopt); });
    QObject::connect(&link, &CSerialLink::portFailed, &loop, [&exchange, &strPortFailure](const QString& strWhy) {
        strPortFailure = strWhy;
        exchange.Stop();
    });
    QObject::connect(&exchange, &CBoardExchange::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(0, &exchange, &CBoardExchange::Send);
    loop.exec();
    return ExchangeOutcome(exchange, strPortFailure, options.nTimeoutMsecs);
}

Outcome RunOnBoard(const CliOptions& options, const std::optional<CommandPlan>& plan, CRunOutput& output,
                   CTrafficLog& log)
{
    CBoardLink link;
    Outcome outcome;
    try {
        link.Open(options, output, &log);
        outcome = plan ? Exchange(link.Link(), options, *plan, output) : Monitor(link.Link(), options, output);
    } catch (const CommError& error) {
        outcome = {ExitCode::PortFailure, QString::fromStdString(error.what())};
    }
    if (link.HasBoard())
        output.BoardReceived(link.BoardFrames(output.FramesSent()));
    return outcome;
}

void OpenLog(CTrafficLog& log, const QString& strPath)
{
    QString strError;
    if (!strPath.isEmpty() && !log.Open(strPath, strError))
        throw InputError(strError);
}

} // namespace

int RunCli(const QStringList& arguments)
{
    CliOptions options;
    CRunOutput output(arguments.contains(QStringLiteral("--json")));
    std::optional<CommandPlan> plan;
    std::optional<SteppedPlan> stepped;
    CTrafficLog log;
    try {
        ParseCommandLine(arguments, options);
        if (options.bHelp) {
            PrintToStdout(HelpText(options.strCommand));
            return 0;
        }
        if (options.bVersion) {
            PrintToStdout(QStringLiteral("vevevar-cli %1\n").arg(QStringLiteral(VEVEVAR_VERSION)));
            return 0;
        }
        if (options.strCommand == QLatin1String("ports"))
            return RunPorts(options.bJson);
        output.SetCommand(options.strCommand);
        if (options.bStepped || options.strCommand == QLatin1String("list"))
            stepped = PlanStepped(options);
        else if (options.strCommand != QLatin1String("monitor") && options.strCommand != QLatin1String("serve"))
            plan = PlanCommand(options);
        // Whatever is on a port nobody named may be no board at all.
        if (!options.bSimulate && options.strPort.isEmpty())
            throw InputError(NoPortText());
        OpenLog(log, options.strLogPath);
    } catch (const InputError& error) {
        output.SetCommand(options.strCommand);
        return output.Finish(ExitCode::BadInput, QString::fromStdString(error.what()));
    }
    if (options.strCommand == QLatin1String("serve")) {
        const int nStatus = RunServe(options, output, log);
        log.Close();
        return nStatus;
    }
    if (plan) {
        for (const QString& strNotice : plan->notices)
            output.Notice(strNotice);
    }
    if (stepped) {
        for (const QString& strNotice : stepped->notices)
            output.Notice(strNotice);
        const SteppedOutcome outcome = RunStepped(options, *stepped, output, log);
        log.Close();
        return output.Finish(outcome.code, outcome.strMessage);
    }

    const Outcome outcome = RunOnBoard(options, plan, output, log);
    // Once the link has closed the port, so that the log's last line says so.
    log.Close();
    return output.Finish(outcome.code, outcome.strMessage);
}
