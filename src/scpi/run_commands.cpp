#include "scpi/command_handlers.h"
#include "scpi/frame_requests.h"
#include "scpi/instrument_state.h"

namespace {

// The frame the mode starts: the point in CW, the sweep in SWEep, which
// needs its start below its stop.
CommandOutcome StartOutput(const InstrumentSettings& settings)
{
    if (!settings.bSweepMode)
        return CommandOutcome::Requesting(PointRequest(settings));
    if (Compare(settings.start, settings.stop) >= 0)
        return CommandOutcome::Failed(kSettingsConflict);
    return CommandOutcome::Requesting(SweepRequest(settings));
}

CommandOutcome ControlWithoutData(const CommandCall& call, FrameKind kind)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    return CommandOutcome::Requesting(ControlRequest(kind));
}

} // namespace

CommandOutcome SetOutput(const CommandCall& call)
{
    if (!HasDataCount(call, 1))
        return CommandOutcome::Failed(kSyntaxError);
    const std::variant<bool, ScpiError> state = ReadBoolean(call.data.front());
    if (const ScpiError* pError = std::get_if<ScpiError>(&state))
        return CommandOutcome::Failed(*pError);
    if (!std::get<bool>(state))
        return CommandOutcome::Requesting(ControlRequest(FrameKind::Close));
    return StartOutput(call.state.Settings());
}

CommandOutcome QueryOutput(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    return CommandOutcome::Answered(call.state.IsOutputOn() ? QStringLiteral("1") : QStringLiteral("0"));
}

CommandOutcome Initiate(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    return StartOutput(call.state.Settings());
}

// The board has no frame that ends a sweep and leaves the output as it is;
// the pause frame holds it where it is, and nothing is sent while no sweep
// runs.
CommandOutcome Abort(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    if (!call.state.Sweep().IsSweeping())
        return {};
    return CommandOutcome::Requesting(ControlRequest(FrameKind::Pause));
}

CommandOutcome PauseSweep(const CommandCall& call)
{
    return ControlWithoutData(call, FrameKind::Pause);
}

CommandOutcome ResumeSweep(const CommandCall& call)
{
    return ControlWithoutData(call, FrameKind::Continue);
}

CommandOutcome QueryCurrentFrequency(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    return CommandOutcome::Answered(FormatNr3(call.state.CurrentFrequency()));
}
