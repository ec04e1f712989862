#include "scpi/command_table.h"

#include "scpi/command_handlers.h"
#include "scpi/setting_rules.h"

#include <array>
#include <vector>

namespace {

// The last column: the set form changes what every client shares, so that
// another client's lock refuses it.
constexpr std::array<CommandRow, 47> kCommandTable = {{
    {"*IDN", nullptr, QueryIdentity, nullptr, false},
    {"*RST", ResetInstrument, nullptr, nullptr, true},
    {"*CLS", ClearStatus, nullptr, nullptr, false},
    {"*ESE", SetEventEnable, QueryEventEnable, nullptr, false},
    {"*ESR", nullptr, QueryEventStatus, nullptr, false},
    {"*OPC", SetOperationComplete, QueryOperationComplete, nullptr, false},
    {"*SRE", SetServiceEnable, QueryServiceEnable, nullptr, false},
    {"*STB", nullptr, QueryStatusByte, nullptr, false},
    {"*TST", nullptr, QuerySelfTest, nullptr, false},
    {"*WAI", WaitToContinue, nullptr, nullptr, false},
    {"SYSTem:ERRor[:NEXT]", nullptr, QueryNextError, nullptr, false},
    {"SYSTem:ERRor:COUNt", nullptr, QueryErrorCount, nullptr, false},
    {"SYSTem:ERRor:ALL", nullptr, QueryAllErrors, nullptr, false},
    {"SYSTem:VERSion", nullptr, QueryVersion, nullptr, false},
    {"SYSTem:LOCK:REQuest", nullptr, RequestLock, nullptr, false},
    {"SYSTem:LOCK:RELease", ReleaseLock, nullptr, nullptr, false},
    {"SYSTem:LOCK:OWNer", nullptr, QueryLockOwner, nullptr, false},
    {"STATus:OPERation[:EVENt]", nullptr, QueryOperationEvents, nullptr, false},
    {"STATus:OPERation:CONDition", nullptr, QueryOperationCondition, nullptr, false},
    {"STATus:OPERation:ENABle", SetOperationEnable, QueryOperationEnable, nullptr, false},
    {"STATus:QUEStionable[:EVENt]", nullptr, QueryQuestionableEvents, nullptr, false},
    {"STATus:QUEStionable:CONDition", nullptr, QueryQuestionableCondition, nullptr, false},
    {"STATus:QUEStionable:ENABle", SetQuestionableEnable, QueryQuestionableEnable, nullptr, false},
    {"STATus:PRESet", PresetStatus, nullptr, nullptr, false},
    {"[SOURce#:]FREQuency[:CW|:FIXed]", SetNumeric, QueryNumeric, &kFrequencySetting, true},
    {"[SOURce#:]VOLTage[:LEVel][:IMMediate][:AMPLitude]", SetNumeric, QueryNumeric, &kAmplitudeSetting, true},
    {"OUTPut#[:STATe]", SetOutput, QueryOutput, nullptr, true},
    {"[SOURce#:]FREQuency:STARt", SetNumeric, QueryNumeric, &kStartSetting, true},
    {"[SOURce#:]FREQuency:STOP", SetNumeric, QueryNumeric, &kStopSetting, true},
    {"[SOURce#:]SWEep:STEP", SetNumeric, QueryNumeric, &kStepSetting, true},
    {"[SOURce#:]SWEep:DWELl", SetSweepDwell, QuerySweepDwell, &kDwellSetting, true},
    {"[SOURce#:]SWEep:SPACing", SetSweepSpacing, QuerySweepSpacing, nullptr, true},
    {"[SOURce#:]SWEep:POINts", SetSweepPoints, QuerySweepPoints, nullptr, true},
    {"[SOURce#:]SWEep:TIME", nullptr, QuerySweepTime, nullptr, false},
    {"[SOURce#:]LIST:FREQuency", SetListFrequencies, QueryListFrequencies, nullptr, true},
    {"[SOURce#:]LIST:VOLTage", SetListVoltages, QueryListVoltages, nullptr, true},
    {"[SOURce#:]LIST:DWELl", SetListDwells, QueryListDwells, nullptr, true},
    {"[SOURce#:]LIST:FREQuency:POINts", nullptr, QueryListFrequencyCount, nullptr, false},
    {"[SOURce#:]LIST:VOLTage:POINts", nullptr, QueryListVoltageCount, nullptr, false},
    {"[SOURce#:]LIST:DWELl:POINts", nullptr, QueryListDwellCount, nullptr, false},
    {"[SOURce#:]SWEep:COUNt", SetSweepCount, QuerySweepCount, nullptr, true},
    {"[SOURce#:]FREQuency:MODE", SetFrequencyMode, QueryFrequencyMode, nullptr, true},
    {"INITiate[:IMMediate]", Initiate, nullptr, nullptr, true},
    {"ABORt", Abort, nullptr, nullptr, true},
    {"[SOURce#:]SWEep:PAUSe", PauseSweep, nullptr, nullptr, true},
    {"[SOURce#:]SWEep:RESume", ResumeSweep, nullptr, nullptr, true},
    {"[SOURce#:]FREQuency:CURRent", nullptr, QueryCurrentFrequency, nullptr, false},
}};

std::vector<CHeaderPattern> CompiledPatterns()
{
    std::vector<CHeaderPattern> patterns;
    for (const CommandRow& row : kCommandTable)
        patterns.emplace_back(row.pszPattern);
    return patterns;
}

const std::vector<CHeaderPattern> kPatterns = CompiledPatterns();

std::optional<ResolvedCommand> FindCommand(const ProgramUnit& unit, const HeaderPath& path,
                                           CHeaderPattern::Suffixes suffixes)
{
    // Common commands sit outside the tree and leave the path alone.
    const HeaderPath start = unit.bCommon || unit.bRooted ? HeaderPath() : path;
    for (std::size_t nRow = 0; nRow < kCommandTable.size(); ++nRow) {
        const CommandRow& row = kCommandTable[nRow];
        const CommandHandler handler = unit.bQuery ? row.query : row.set;
        const CHeaderPattern& pattern = kPatterns[nRow];
        if (handler == nullptr || pattern.IsCommon() != unit.bCommon)
            continue;
        std::optional<HeaderPath> next = pattern.Match(start, unit.mnemonics, suffixes);
        if (next)
            return ResolvedCommand{&row, handler, unit.bCommon ? path : *next};
    }
    return std::nullopt;
}

} // namespace

std::variant<ResolvedCommand, ScpiError> ResolveCommand(const ProgramUnit& unit, const HeaderPath& path)
{
    if (std::optional<ResolvedCommand> command = FindCommand(unit, path, CHeaderPattern::Suffixes::Allowed))
        return *command;
    if (FindCommand(unit, path, CHeaderPattern::Suffixes::Ignored))
        return kHeaderSuffixOutOfRange;
    return kUndefinedHeader;
}
