#include "scpi/command_handlers.h"
#include "scpi/error_queue.h"
#include "scpi/frame_requests.h"
#include "scpi/instrument_state.h"

namespace {

CommandOutcome AnsweredWithoutData(const CommandCall& call, const QString& strAnswer)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    return CommandOutcome::Answered(strAnswer);
}

} // namespace

CommandOutcome QueryIdentity(const CommandCall& call)
{
    return AnsweredWithoutData(call, QStringLiteral("Vevevar,Azevora,0," VEVEVAR_VERSION));
}

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
    call.errors.Clear();
    return {};
}

CommandOutcome SetOperationComplete(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    call.errors.OperationComplete();
    return {};
}

// Commands run one at a time and a frame's command ends only when the board
// has answered, so every earlier command has finished by now.
CommandOutcome QueryOperationComplete(const CommandCall& call)
{
    return AnsweredWithoutData(call, QStringLiteral("1"));
}

CommandOutcome WaitToContinue(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    return {};
}

CommandOutcome QueryEventStatus(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    return CommandOutcome::Answered(QString::number(call.errors.TakeEventStatus()));
}

CommandOutcome QueryStatusByte(const CommandCall& call)
{
    return AnsweredWithoutData(call, QString::number(call.errors.StatusByte()));
}

CommandOutcome QueryNextError(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    return CommandOutcome::Answered(call.errors.TakeNext());
}

CommandOutcome QueryVersion(const CommandCall& call)
{
    return AnsweredWithoutData(call, QStringLiteral("1999.0"));
}
