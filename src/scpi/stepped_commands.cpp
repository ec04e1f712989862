#include "scpi/command_handlers.h"
#include "scpi/frame_requests.h"
#include "scpi/instrument_state.h"
#include "scpi/setting_rules.h"

#include <variant>

namespace {

const char* const kMostDwell = "3600";

double InMegahertz(const DecimalValue& hertz)
{
    return ToDouble(Scaled(hertz, -6));
}

QVector<double> Doubles(const QList<DecimalValue>& values, int nPowerOfTen)
{
    QVector<double> doubles;
    for (const DecimalValue& value : values)
        doubles.append(ToDouble(Scaled(value, nPowerOfTen)));
    return doubles;
}

std::optional<ScpiError> CheckSteppedDwell(const DecimalValue& value, const CInstrumentState& state)
{
    if (!DwellRangeError(ToDouble(value), state.LeastDwellSeconds()).isEmpty())
        return kDataOutOfRange;
    return std::nullopt;
}

// The points the settings give: the list, its amplitudes and dwells one for
// all or one each, the amplitude and stepped dwell standing in for an empty
// one; or the log spacing from the start to the stop.
std::variant<StepPoints, ScpiError> SteppedPoints(const CInstrumentState& state)
{
    const InstrumentSettings& settings = state.Settings();
    if (!settings.bListMode) {
        StepPoints points = LogSpacedPoints(InMegahertz(settings.start), InMegahertz(settings.stop), settings.nPoints,
                                            ToDouble(settings.amplitude), ToDouble(settings.steppedDwell));
        if (points.isEmpty())
            return kSettingsConflict;
        return points;
    }
    if (settings.listFrequencies.isEmpty())
        return kSettingsConflict;
    const QVector<double> amplitudes = settings.listVoltages.isEmpty() ? QVector<double>{ToDouble(settings.amplitude)}
                                                                       : Doubles(settings.listVoltages, 0);
    const QVector<double> dwells = settings.listDwells.isEmpty() ? QVector<double>{ToDouble(settings.steppedDwell)}
                                                                 : Doubles(settings.listDwells, 0);
    StepPoints points;
    if (!ListPoints(Doubles(settings.listFrequencies, -6), amplitudes, dwells, points).isEmpty())
        return kSettingsConflict;
    return points;
}

// A whole list at once, each value in range, or the list as it was.
CommandOutcome SetList(const CommandCall& call, QList<DecimalValue> InstrumentSettings::*pList, Quantity quantity,
                       const std::function<std::optional<ScpiError>(const DecimalValue&)>& check)
{
    if (call.data.isEmpty())
        return CommandOutcome::Failed(kSyntaxError);
    QList<DecimalValue> values;
    for (const ProgramDatum& datum : call.data) {
        const NumericParameter parameter = ReadNumericParameter(datum, quantity);
        if (const ScpiError* pError = std::get_if<ScpiError>(&parameter))
            return CommandOutcome::Failed(*pError);
        const DecimalValue* pValue = std::get_if<DecimalValue>(&parameter);
        if (!pValue)
            return CommandOutcome::Failed(kDataTypeError);
        if (const std::optional<ScpiError> error = check(*pValue))
            return CommandOutcome::Failed(*error);
        values.append(*pValue);
    }
    call.state.Settings().*pList = values;
    return {};
}

CommandOutcome QueryList(const CommandCall& call, QList<DecimalValue> InstrumentSettings::*pList)
{
    QStringList texts;
    for (const DecimalValue& value : call.state.Settings().*pList)
        texts.append(FormatNr3(value));
    return AnsweredWithoutData(call, texts.join(QLatin1Char(',')));
}

CommandOutcome QueryCount(const CommandCall& call, QList<DecimalValue> InstrumentSettings::*pList)
{
    return AnsweredWithoutData(call, QString::number((call.state.Settings().*pList).size()));
}

} // namespace

CommandOutcome SetSweepSpacing(const CommandCall& call)
{
    if (!HasDataCount(call, 1))
        return CommandOutcome::Failed(kSyntaxError);
    const ProgramDatum& datum = call.data.front();
    if (datum.kind != ProgramDatum::Kind::Character)
        return CommandOutcome::Failed(kDataTypeError);
    const bool bLog = IsMnemonic(datum.text, "LOGarithmic");
    if (!bLog && !IsMnemonic(datum.text, "LINear"))
        return CommandOutcome::Failed(kIllegalParameterValue);
    call.state.Settings().bLogSpacing = bLog;
    return {};
}

CommandOutcome QuerySweepSpacing(const CommandCall& call)
{
    return AnsweredWithoutData(call, call.state.Settings().bLogSpacing ? QStringLiteral("LOG") : QStringLiteral("LIN"));
}

CommandOutcome SetSweepPoints(const CommandCall& call)
{
    if (!HasDataCount(call, 1))
        return CommandOutcome::Failed(kSyntaxError);
    const ProgramDatum& datum = call.data.front();
    if (datum.kind != ProgramDatum::Kind::Numeric || !datum.suffix.isEmpty())
        return CommandOutcome::Failed(kDataTypeError);
    if (!IsMultipleOfPowerOfTen(datum.number, 0))
        return CommandOutcome::Failed(kIllegalParameterValue);
    if (Compare(datum.number, DecimalFromInt(kLeastLogPoints)) < 0 ||
        Compare(datum.number, DecimalFromInt(kMostLogPoints)) > 0)
        return CommandOutcome::Failed(kDataOutOfRange);
    call.state.Settings().nPoints = static_cast<int>(ToDouble(datum.number));
    return {};
}

CommandOutcome QuerySweepPoints(const CommandCall& call)
{
    return AnsweredWithoutData(call, QString::number(call.state.Settings().nPoints));
}

// LOG: the stepped dwell, from the line's least to an hour. LIN: the
// board's time per step.
CommandOutcome SetSweepDwell(const CommandCall& call)
{
    if (!call.state.Settings().bLogSpacing)
        return SetNumeric(call);
    if (!HasDataCount(call, 1))
        return CommandOutcome::Failed(kSyntaxError);
    const NumericParameter parameter = ReadNumericParameter(call.data.front(), Quantity::Time);
    if (const ScpiError* pError = std::get_if<ScpiError>(&parameter))
        return CommandOutcome::Failed(*pError);
    const NumericKeyword* pKeyword = std::get_if<NumericKeyword>(&parameter);
    const DecimalValue value = !pKeyword ? std::get<DecimalValue>(parameter)
                               : *pKeyword == NumericKeyword::Maximum
                                   ? *DecimalFromText(kMostDwell)
                               : *pKeyword == NumericKeyword::Default
                                   ? *DecimalFromText(kDefaultSteppedDwell)
                                   : *DecimalFromText(QByteArray::number(call.state.LeastDwellSeconds()).constData());
    if (const std::optional<ScpiError> error = CheckSteppedDwell(value, call.state))
        return CommandOutcome::Failed(*error);
    call.state.Settings().steppedDwell = value;
    return {};
}

CommandOutcome QuerySweepDwell(const CommandCall& call)
{
    if (!call.state.Settings().bLogSpacing)
        return QueryNumeric(call);
    return AnsweredWithoutData(call, FormatNr3(call.state.Settings().steppedDwell));
}

// The planned time of one run in the present mode.
CommandOutcome QuerySweepTime(const CommandCall& call)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    double dSeconds = BoardSweepSeconds(call.state.Settings());
    if (IsSteppedMode(call.state.Settings())) {
        const std::variant<StepPoints, ScpiError> points = SteppedPoints(call.state);
        if (const ScpiError* pError = std::get_if<ScpiError>(&points))
            return CommandOutcome::Failed(*pError);
        dSeconds = PassSeconds(std::get<StepPoints>(points));
    }
    return CommandOutcome::Answered(FormatNr3(*DecimalFromText(QByteArray::number(dSeconds, 'g', 12).constData())));
}

CommandOutcome SetListFrequencies(const CommandCall& call)
{
    return SetList(call, &InstrumentSettings::listFrequencies, Quantity::Frequency, kFrequencySetting.check);
}

CommandOutcome QueryListFrequencies(const CommandCall& call)
{
    return QueryList(call, &InstrumentSettings::listFrequencies);
}

CommandOutcome SetListVoltages(const CommandCall& call)
{
    return SetList(call, &InstrumentSettings::listVoltages, Quantity::Voltage, kAmplitudeSetting.check);
}

CommandOutcome QueryListVoltages(const CommandCall& call)
{
    return QueryList(call, &InstrumentSettings::listVoltages);
}

CommandOutcome SetListDwells(const CommandCall& call)
{
    return SetList(call, &InstrumentSettings::listDwells, Quantity::Time,
                   [&call](const DecimalValue& value) { return CheckSteppedDwell(value, call.state); });
}

CommandOutcome QueryListDwells(const CommandCall& call)
{
    return QueryList(call, &InstrumentSettings::listDwells);
}

CommandOutcome QueryListFrequencyCount(const CommandCall& call)
{
    return QueryCount(call, &InstrumentSettings::listFrequencies);
}

CommandOutcome QueryListVoltageCount(const CommandCall& call)
{
    return QueryCount(call, &InstrumentSettings::listVoltages);
}

CommandOutcome QueryListDwellCount(const CommandCall& call)
{
    return QueryCount(call, &InstrumentSettings::listDwells);
}

CommandOutcome SteppedStart(const CInstrumentState& state)
{
    const std::variant<StepPoints, ScpiError> points = SteppedPoints(state);
    if (const ScpiError* pError = std::get_if<ScpiError>(&points))
        return CommandOutcome::Failed(*pError);
    if (!CheckPoints(std::get<StepPoints>(points), state.LeastDwellSeconds()).isEmpty())
        return CommandOutcome::Failed(kDataOutOfRange);
    return CommandOutcome::Requesting(
        SteppedRequest(SteppedAction::Start, std::get<StepPoints>(points), state.Settings().bCircular));
}
