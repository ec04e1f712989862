#include "scpi/frame_requests.h"

#include "scpi/setting_rules.h"
#include "encoding/words.h"
#include "protocol/frame_builders.h"

#include <cmath>

namespace {

constexpr double kIntervalMsecs = 20e-6;

float InMegahertz(const DecimalValue& hertz)
{
    return ToFloat(Scaled(hertz, -6));
}

// The board steps from the start until it reaches the stop, each step for
// its time interval.
qint64 SweepMsecs(const InstrumentSettings& settings, int nIntervalCount)
{
    const double dSteps = std::ceil((ToDouble(settings.stop) - ToDouble(settings.start)) / ToDouble(settings.step));
    return static_cast<qint64>(std::ceil(dSteps * nIntervalCount * kIntervalMsecs));
}

} // namespace

BoardRequest PointRequest(const InstrumentSettings& settings)
{
    const quint32 dwTuningWord = FrequencyToTuningWord(InMegahertz(settings.frequency));
    const int nAmplitudeWord = AmplitudeToWord(ToFloat(settings.amplitude), kSinglePointAmplitudeScale);
    return {FrameKind::Point,
            [dwTuningWord, nAmplitudeWord](int nRetry) { return PointFrame(nRetry, dwTuningWord, nAmplitudeWord); },
            {}, SteppedAction::None, {}};
}

BoardRequest SweepRequest(const InstrumentSettings& settings)
{
    SweepFrameFields fields;
    fields.dwStartWord = FrequencyToTuningWord(InMegahertz(settings.start));
    fields.dwEndWord = FrequencyToTuningWord(InMegahertz(settings.stop));
    fields.nAmplitudeWord = AmplitudeToWord(ToFloat(settings.amplitude), kSweepAmplitudeScale);
    fields.nStepCode = StepRowIndex(settings.step).value_or(0);
    fields.nIntervalCount = DwellCount(settings.dwell).value_or(0);
    fields.bCircular = settings.bCircular;
    const SweepPlan plan{fields.bCircular, fields.dwEndWord, SweepMsecs(settings, fields.nIntervalCount), false};
    return {FrameKind::Sweep, [fields](int nRetry) { return SweepFrame(nRetry, fields); }, plan, SteppedAction::None, {}};
}

double BoardSweepSeconds(const InstrumentSettings& settings)
{
    return SweepMsecs(settings, DwellCount(settings.dwell).value_or(0)) / 1000.0;
}

BoardRequest SteppedRequest(SteppedAction action, const StepPoints& points, bool bEndless)
{
    SweepPlan plan;
    plan.bCircular = bEndless;
    plan.bStepped = true;
    return {FrameKind::Sweep, {}, plan, action, points};
}

BoardRequest ControlRequest(FrameKind kind)
{
    switch (kind) {
    case FrameKind::Pause:
        return {kind, PauseFrame, {}, SteppedAction::None, {}};
    case FrameKind::Continue:
        return {kind, ContinueFrame, {}, SteppedAction::None, {}};
    case FrameKind::Point:
    case FrameKind::Sweep:
    case FrameKind::Close:
        break;
    }
    return {FrameKind::Close, CloseFrame, {}, SteppedAction::None, {}};
}
