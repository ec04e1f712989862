#include "scpi/command_handlers.h"
#include "scpi/frame_requests.h"
#include "scpi/instrument_state.h"
#include "scpi/setting_rules.h"

namespace {

// What SWE:COUN? answers for a circular sweep: SCPI's infinity, which
// SWE:COUN also takes back.
const char* const kInfinityText = "9.9E37";

} // namespace

CommandOutcome SetNumeric(const CommandCall& call)
{
    if (!HasDataCount(call, 1))
        return CommandOutcome::Failed(kSyntaxError);
    const NumericSetting& setting = *call.pSetting;
    const NumericParameter parameter = ReadNumericParameter(call.data.front(), setting.quantity);
    if (const ScpiError* pError = std::get_if<ScpiError>(&parameter))
        return CommandOutcome::Failed(*pError);
    const NumericKeyword* pKeyword = std::get_if<NumericKeyword>(&parameter);
    const DecimalValue value = pKeyword ? KeywordValue(setting, *pKeyword) : std::get<DecimalValue>(parameter);
    if (const std::optional<ScpiError> error = setting.check(value))
        return CommandOutcome::Failed(*error);
    InstrumentSettings& settings = call.state.Settings();
    settings.*(setting.pMember) = setting.boardValue ? setting.boardValue(value) : value;
    // A generator follows a new setting while its output is on.
    if (setting.bSendsPointInCw && IsCwMode(settings) && call.state.IsOutputOn())
        return CommandOutcome::Requesting(PointRequest(settings));
    return {};
}

// "FREQ?" gives the value as set; "FREQ? MAX" and the like give the limits.
CommandOutcome QueryNumeric(const CommandCall& call)
{
    const NumericSetting& setting = *call.pSetting;
    if (call.data.isEmpty())
        return CommandOutcome::Answered(FormatNr3(call.state.Settings().*(setting.pMember)));
    if (!HasDataCount(call, 1))
        return CommandOutcome::Failed(kSyntaxError);
    const NumericParameter parameter = ReadNumericParameter(call.data.front(), setting.quantity);
    if (const NumericKeyword* pKeyword = std::get_if<NumericKeyword>(&parameter))
        return CommandOutcome::Answered(FormatNr3(KeywordValue(setting, *pKeyword)));
    if (const ScpiError* pError = std::get_if<ScpiError>(&parameter))
        return CommandOutcome::Failed(*pError);
    return CommandOutcome::Failed(kDataTypeError);
}

// The board sweeps once or circularly; no other count can be given it.
CommandOutcome SetSweepCount(const CommandCall& call)
{
    if (!HasDataCount(call, 1))
        return CommandOutcome::Failed(kSyntaxError);
    const ProgramDatum& datum = call.data.front();
    std::optional<bool> circular;
    switch (datum.kind) {
    case ProgramDatum::Kind::String:
        return CommandOutcome::Failed(kDataTypeError);
    case ProgramDatum::Kind::Numeric:
        if (!datum.suffix.isEmpty())
            return CommandOutcome::Failed(kSyntaxError);
        if (Compare(datum.number, DecimalFromInt(1)) == 0)
            circular = false;
        else if (Compare(datum.number, *DecimalFromText(kInfinityText)) == 0)
            circular = true;
        break;
    case ProgramDatum::Kind::Character:
        if (IsMnemonic(datum.text, "INFinity") || IsMnemonic(datum.text, "MAXimum"))
            circular = true;
        else if (IsMnemonic(datum.text, "MINimum") || IsMnemonic(datum.text, "DEFault"))
            circular = false;
        break;
    }
    if (!circular)
        return CommandOutcome::Failed(kIllegalParameterValue);
    call.state.Settings().bCircular = *circular;
    return {};
}

CommandOutcome QuerySweepCount(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    return CommandOutcome::Answered(call.state.Settings().bCircular ? QLatin1String(kInfinityText)
                                                                    : QStringLiteral("1"));
}

CommandOutcome SetFrequencyMode(const CommandCall& call)
{
    if (!HasDataCount(call, 1))
        return CommandOutcome::Failed(kSyntaxError);
    const ProgramDatum& datum = call.data.front();
    if (datum.kind != ProgramDatum::Kind::Character)
        return CommandOutcome::Failed(kDataTypeError);
    const bool bSweepMode = IsMnemonic(datum.text, "SWEep");
    const bool bListMode = IsMnemonic(datum.text, "LIST");
    if (!bSweepMode && !bListMode && !IsMnemonic(datum.text, "CW") && !IsMnemonic(datum.text, "FIXed"))
        return CommandOutcome::Failed(kIllegalParameterValue);
    InstrumentSettings& settings = call.state.Settings();
    const bool bLeavesSweep = !IsCwMode(settings) && !bSweepMode && !bListMode;
    settings.bSweepMode = bSweepMode;
    settings.bListMode = bListMode;
    // The point frame ends a sweep, as the sending page's Send does.
    if (bLeavesSweep && call.state.IsOutputOn())
        return CommandOutcome::Requesting(PointRequest(settings));
    return {};
}

CommandOutcome QueryFrequencyMode(const CommandCall& call)
{
    const InstrumentSettings& settings = call.state.Settings();
    return AnsweredWithoutData(call, settings.bListMode    ? QStringLiteral("LIST")
                                     : settings.bSweepMode ? QStringLiteral("SWE")
                                                           : QStringLiteral("CW"));
}
