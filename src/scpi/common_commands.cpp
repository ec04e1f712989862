#include "scpi/client_status.h"
#include "scpi/command_handlers.h"
#include "scpi/frame_requests.h"
#include "scpi/instrument_state.h"

namespace {

constexpr int kHighestByteMask = 255;

// *OPC? and *WAI: the rest of the message waits for a running single sweep.
CommandOutcome AwaitingSweep(const CommandCall& call, std::optional<QString> answer)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    CommandOutcome outcome;
    outcome.answer = std::move(answer);
    outcome.bAwaitsSweep = call.state.Sweep().IsSingleSweepRunning();
    return outcome;
}

} // namespace

CommandOutcome QueryIdentity(const CommandCall& call)
{
    return AnsweredWithoutData(call, QStringLiteral("Vevevar,Azevora,0," VEVEVAR_VERSION));
}

// The settings go back at once; the output flag follows the board's answer
// to the close, as the board may still be putting out a signal.
CommandOutcome ResetInstrument(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    call.state.Reset();
    return CommandOutcome::Requesting(ControlRequest(FrameKind::Close));
}

CommandOutcome ClearStatus(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    call.client.Clear(call.state.Sweep());
    return {};
}

CommandOutcome SetEventEnable(const CommandCall& call)
{
    return SetClientMask(call, &CClientStatus::SetEventEnable, kHighestByteMask);
}

CommandOutcome QueryEventEnable(const CommandCall& call)
{
    return AnsweredWithoutData(call, QString::number(call.client.EventEnable()));
}

CommandOutcome QueryEventStatus(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    return CommandOutcome::Answered(QString::number(call.client.TakeEventStatus(call.state.Sweep())));
}

CommandOutcome SetOperationComplete(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    call.client.OperationComplete(call.state.Sweep());
    return {};
}

// Every earlier command has finished, for commands run one at a time and a
// frame's command ends when the board has answered; a single sweep is the
// one operation that outlasts its command.
CommandOutcome QueryOperationComplete(const CommandCall& call)
{
    return AwaitingSweep(call, QStringLiteral("1"));
}

CommandOutcome SetServiceEnable(const CommandCall& call)
{
    return SetClientMask(call, &CClientStatus::SetServiceEnable, kHighestByteMask);
}

CommandOutcome QueryServiceEnable(const CommandCall& call)
{
    return AnsweredWithoutData(call, QString::number(call.client.ServiceEnable()));
}

CommandOutcome QueryStatusByte(const CommandCall& call)
{
    return AnsweredWithoutData(call, QString::number(call.client.StatusByte(call.state.Sweep())));
}

// The one part the server can test without the board's help is its port.
CommandOutcome QuerySelfTest(const CommandCall& call)
{
    return AnsweredWithoutData(call, call.state.IsPortOpen() ? QStringLiteral("0") : QStringLiteral("1"));
}

CommandOutcome WaitToContinue(const CommandCall& call)
{
    return AwaitingSweep(call, std::nullopt);
}
