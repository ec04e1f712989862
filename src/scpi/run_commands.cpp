#include "scpi/command_handlers.h"
#include "scpi/frame_requests.h"
#include "scpi/instrument_state.h"

namespace {

// The frame the mode starts: the point in CW, the sweep in SWEep, which
// needs its start below its stop; or the stepped sweep.
CommandOutcome StartOutput(const CInstrumentState& state)
{
    const InstrumentSettings& settings = state.Settings();
    if (IsSteppedMode(settings))
        return SteppedStart(state);
    if (IsCwMode(settings))
        return CommandOutcome::Requesting(PointRequest(settings));
    if (Compare(settings.start, settings.stop) >= 0)
        return CommandOutcome::Failed(kSettingsConflict);
    return CommandOutcome::Requesting(SweepRequest(settings));
}

// A stepped sweep is paused and continued by the server, without a frame.
CommandOutcome ControlWithoutData(const CommandCall& call, FrameKind kind, SteppedAction stepped)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    if (call.state.Sweep().IsStepped())
        return CommandOutcome::Requesting(SteppedRequest(stepped));
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
    return StartOutput(call.state);
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
    return StartOutput(call.state);
}

// The board has no frame that ends a sweep and leaves the output as it is;
// the pause frame holds it where it is, and nothing is sent while no sweep
// runs. A stepped sweep just sends no further point.
CommandOutcome Abort(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    if (call.state.Sweep().IsStepped())
        return CommandOutcome::Requesting(SteppedRequest(SteppedAction::Abort));
    if (!call.state.Sweep().IsSweeping())
        return {};
    return CommandOutcome::Requesting(ControlRequest(FrameKind::Pause));
}

CommandOutcome PauseSweep(const CommandCall& call)
{
    return ControlWithoutData(call, FrameKind::Pause, SteppedAction::Pause);
}

CommandOutcome ResumeSweep(const CommandCall& call)
{
    return ControlWithoutData(call, FrameKind::Continue, SteppedAction::Continue);
}

CommandOutcome QueryCurrentFrequency(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    return CommandOutcome::Answered(FormatNr3(call.state.CurrentFrequency()));
}
