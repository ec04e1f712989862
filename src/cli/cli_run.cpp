#include "cli/cli_run.h"

#include "cli/board_link.h"
#include "cli/cli_options.h"
#include "cli/command_plan.h"
#include "cli/exit_code.h"
#include "cli/frame_exchange.h"
#include "cli/monitor.h"
#include "cli/receive_path.h"
#include "cli/run_output.h"
#include "cli/serve_command.h"
#include "serial/comm_error.h"
#include "serial/traffic_log.h"

#include <QEventLoop>
#include <QTimer>

#include <functional>
#include <optional>

namespace {

struct Outcome {
    ExitCode code = ExitCode::Success;
    QString strMessage;
};

template <typename Runner>
Outcome RunToEnd(Runner& runner, const std::function<void()>& start)
{
    Outcome outcome;
    QEventLoop loop;
    QObject::connect(&runner, &Runner::Finished, &loop, [&outcome, &loop](ExitCode code, const QString& strMessage) {
        outcome = {code, strMessage};
        loop.quit();
    });
    QTimer::singleShot(0, &runner, start);
    loop.exec();
    return outcome;
}

Outcome RunOnLink(const CliOptions& options, const std::optional<CommandPlan>& plan, CRunOutput& output)
{
    if (!plan) {
        CMonitor monitor(output);
        return RunToEnd(monitor, [&monitor, &options] { monitor.Start(options.durationMsecs); });
    }
    CFrameExchange exchange(plan->policy, plan->compose, options.nTimeoutMsecs);
    CReceivePath receivePath;
    QObject::connect(&exchange, &CFrameExchange::FrameWritten, &exchange,
                     [&output](const QString& strFrame, int nRetry) { output.FrameSent(nRetry, strFrame); });
    QObject::connect(&receivePath, &CReceivePath::Received, &exchange, [&output, &exchange](const QByteArray& bytes) {
        output.Reply(bytes, std::nullopt);
        exchange.OnReply();
    });
    QObject::connect(&receivePath, &CReceivePath::PortFailed, &exchange, &CFrameExchange::OnPortFailure);
    return RunToEnd(exchange, [&exchange] { exchange.Start(); });
}

Outcome RunOnBoard(const CliOptions& options, const std::optional<CommandPlan>& plan, CRunOutput& output)
{
    CBoardLink link;
    Outcome outcome;
    try {
        link.Open(options, output);
        outcome = RunOnLink(options, plan, output);
    } catch (const CommError& error) {
        outcome = {ExitCode::PortFailure, QString::fromStdString(error.what())};
    }
    if (link.HasBoard())
        output.BoardReceived(link.BoardFrames(output.FramesSent()));
    return outcome;
}

void OpenLog(const QString& strPath)
{
    QString strError;
    if (!strPath.isEmpty() && !g_trafficLog.Open(strPath, strError))
        throw InputError(strError);
}

} // namespace

int RunCli(const QStringList& arguments)
{
    CliOptions options;
    CRunOutput output(arguments.contains(QStringLiteral("--json")));
    std::optional<CommandPlan> plan;
    try {
        ParseCommandLine(arguments, options);
        if (options.bHelp) {
            PrintToStdout(HelpText());
            return 0;
        }
        if (options.bVersion) {
            PrintToStdout(QStringLiteral("vevevar-cli %1\n").arg(QStringLiteral(VEVEVAR_VERSION)));
            return 0;
        }
        output.SetCommand(options.strCommand);
        if (options.strCommand != QLatin1String("monitor") && options.strCommand != QLatin1String("serve"))
            plan = PlanCommand(options);
        OpenLog(options.strLogPath);
    } catch (const InputError& error) {
        output.SetCommand(options.strCommand);
        return output.Finish(ExitCode::BadInput, QString::fromStdString(error.what()));
    }
    if (options.strCommand == QLatin1String("serve")) {
        const int nStatus = RunServe(options, output);
        g_trafficLog.Close();
        return nStatus;
    }
    if (plan) {
        for (const QString& strNotice : plan->notices)
            output.Notice(strNotice);
    }

    const Outcome outcome = RunOnBoard(options, plan, output);
    // Once the link has closed the port, so that the log's last line says so.
    g_trafficLog.Close();
    return output.Finish(outcome.code, outcome.strMessage);
}
