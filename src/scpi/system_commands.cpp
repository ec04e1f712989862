#include "scpi/client_status.h"
#include "scpi/command_handlers.h"
#include "scpi/instrument_state.h"

namespace {

// The SCPI registers' 16 bits, of which the sign bit is never used.
constexpr int kHighestRegisterMask = 32767;

} // namespace

CommandOutcome SetClientMask(const CommandCall& call, void (CClientStatus::*setMask)(int), int nHighest)
{
    if (!HasDataCount(call, 1))
        return CommandOutcome::Failed(kSyntaxError);
    const std::variant<int, ScpiError> mask = ReadRegisterMask(call.data.front(), nHighest);
    if (const ScpiError* pError = std::get_if<ScpiError>(&mask))
        return CommandOutcome::Failed(*pError);
    (call.client.*setMask)(std::get<int>(mask));
    return {};
}

CommandOutcome QueryNextError(const CommandCall& call)
{
    return AnsweredWithoutData(call, call.client.Errors().TakeNext());
}

CommandOutcome QueryErrorCount(const CommandCall& call)
{
    return AnsweredWithoutData(call, QString::number(call.client.Errors().Size()));
}

CommandOutcome QueryAllErrors(const CommandCall& call)
{
    return AnsweredWithoutData(call, call.client.Errors().TakeAll());
}

CommandOutcome QueryVersion(const CommandCall& call)
{
    return AnsweredWithoutData(call, QStringLiteral("1999.0"));
}

CommandOutcome RequestLock(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    return CommandOutcome::Answered(call.state.RequestLock(call.client.Client()) ? QStringLiteral("1")
                                                                                 : QStringLiteral("0"));
}

// Another client's lock is not this one's to release.
CommandOutcome ReleaseLock(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    if (call.state.IsLockedAgainst(call.client.Client()))
        return CommandOutcome::Failed(kCommandProtected);
    call.state.ReleaseLock(call.client.Client());
    return {};
}

CommandOutcome QueryLockOwner(const CommandCall& call)
{
    const int nOwner = call.state.LockOwner();
    if (nOwner == CInstrumentState::kNobody)
        return AnsweredWithoutData(call, QStringLiteral("NONE"));
    return AnsweredWithoutData(call, nOwner == call.client.Client() ? QStringLiteral("LOCAL") : QStringLiteral("REMOTE"));
}

CommandOutcome QueryOperationEvents(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    return CommandOutcome::Answered(QString::number(call.client.TakeOperationEvents(call.state.Sweep())));
}

CommandOutcome QueryOperationCondition(const CommandCall& call)
{
    return AnsweredWithoutData(call, QString::number(CClientStatus::OperationCondition(call.state.Sweep())));
}

CommandOutcome SetOperationEnable(const CommandCall& call)
{
    return SetClientMask(call, &CClientStatus::SetOperationEnable, kHighestRegisterMask);
}

CommandOutcome QueryOperationEnable(const CommandCall& call)
{
    return AnsweredWithoutData(call, QString::number(call.client.OperationEnable()));
}

// The condition never rises, so no event is ever latched.
CommandOutcome QueryQuestionableEvents(const CommandCall& call)
{
    return AnsweredWithoutData(call, QString::number(CClientStatus::QuestionableCondition()));
}

CommandOutcome QueryQuestionableCondition(const CommandCall& call)
{
    return AnsweredWithoutData(call, QString::number(CClientStatus::QuestionableCondition()));
}

CommandOutcome SetQuestionableEnable(const CommandCall& call)
{
    return SetClientMask(call, &CClientStatus::SetQuestionableEnable, kHighestRegisterMask);
}

CommandOutcome QueryQuestionableEnable(const CommandCall& call)
{
    return AnsweredWithoutData(call, QString::number(call.client.QuestionableEnable()));
}

CommandOutcome PresetStatus(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    call.client.Preset();
    return {};
}
