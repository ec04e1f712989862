#include "protocol/frame_builders.h"

#include "protocol/frame.h"

namespace {

QString ControlFrame(int nRetry, ControlCode code)
{
    return ComposeFrame(nRetry, CommandText(Command::Control), {{"control code", static_cast<int>(code), 1}});
}

} // namespace

QString PointFrame(int nRetry, quint32 dwTuningWord, int nAmplitudeWord)
{
    return ComposeFrame(nRetry, CommandText(Command::SinglePoint),
                        {{"tuning word", dwTuningWord, 4}, {"amplitude word", nAmplitudeWord, 2}});
}

QString SweepFrame(int nRetry, const SweepFrameFields& fields)
{
    return ComposeFrame(nRetry, CommandText(Command::Sweep),
                        {{"start word", fields.dwStartWord, 4},
                         {"end word", fields.dwEndWord, 4},
                         {"amplitude word", fields.nAmplitudeWord, 2},
                         {"step code", fields.nStepCode, 1},
                         {"time interval", fields.nIntervalCount, 4},
                         {"circular flag", fields.bCircular ? 1 : 0, 1}});
}

QString CloseFrame(int nRetry)
{
    return ControlFrame(nRetry, ControlCode::Close);
}

QString PauseFrame(int nRetry)
{
    return ControlFrame(nRetry, ControlCode::Pause);
}

QString ContinueFrame(int nRetry)
{
    return ControlFrame(nRetry, ControlCode::Continue);
}
