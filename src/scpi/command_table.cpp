#include "scpi/command_table.h"

#include "scpi/command_handlers.h"
#include "scpi/setting_rules.h"

#include <array>
#include <vector>

namespace {

constexpr std::array<CommandRow, 22> kCommandTable = {{
    {"*IDN", nullptr, QueryIdentity, nullptr},
    {"*RST", ResetInstrument, nullptr, nullptr},
    {"*CLS", ClearStatus, nullptr, nullptr},
    {"*OPC", SetOperationComplete, QueryOperationComplete, nullptr},
    {"*WAI", WaitToContinue, nullptr, nullptr},
    {"*ESR", nullptr, QueryEventStatus, nullptr},
    {"*STB", nullptr, QueryStatusByte, nullptr},
    {"SYSTem:ERRor[:NEXT]", nullptr, QueryNextError, nullptr},
    {"SYSTem:VERSion", nullptr, QueryVersion, nullptr},
    {"[SOURce:]FREQuency[:CW|:FIXed]", SetNumeric, QueryNumeric, &kFrequencySetting},
    {"[SOURce:]VOLTage[:LEVel][:IMMediate][:AMPLitude]", SetNumeric, QueryNumeric, &kAmplitudeSetting},
    {"OUTPut[:STATe]", SetOutput, QueryOutput, nullptr},
    {"[SOURce:]FREQuency:STARt", SetNumeric, QueryNumeric, &kStartSetting},
    {"[SOURce:]FREQuency:STOP", SetNumeric, QueryNumeric, &kStopSetting},
    {"[SOURce:]SWEep:STEP", SetNumeric, QueryNumeric, &kStepSetting},
    {"[SOURce:]SWEep:DWELl", SetNumeric, QueryNumeric, &kDwellSetting},
    {"[SOURce:]SWEep:COUNt", SetSweepCount, QuerySweepCount, nullptr},
    {"[SOURce:]FREQuency:MODE", SetFrequencyMode, QueryFrequencyMode, nullptr},
    {"INITiate[:IMMediate]", Initiate, nullptr, nullptr},
    {"[SOURce:]SWEep:PAUSe", PauseSweep, nullptr, nullptr},
    {"[SOURce:]SWEep:RESume", ResumeSweep, nullptr, nullptr},
    {"[SOURce:]FREQuency:CURRent", nullptr, QueryCurrentFrequency, nullptr},
}};

const std::vector<CHeaderPattern>& Patterns()
{
    static const std::vector<CHeaderPattern> patterns = [] {
        std::vector<CHeaderPattern> compiled;
        for (const CommandRow& row : kCommandTable)
            compiled.emplace_back(row.pszPattern);
        return compiled;
    }();
    return patterns;
}

} // namespace

std::variant<ResolvedCommand, ScpiError> ResolveCommand(const ProgramUnit& unit, const HeaderPath& path)
{
    // Common commands sit outside the tree and leave the path alone.
    const HeaderPath start = unit.bCommon || unit.bRooted ? HeaderPath() : path;
    for (std::size_t nRow = 0; nRow < kCommandTable.size(); ++nRow) {
        const CommandRow& row = kCommandTable[nRow];
        const CommandHandler handler = unit.bQuery ? row.query : row.set;
        const CHeaderPattern& pattern = Patterns()[nRow];
        if (handler == nullptr || pattern.IsCommon() != unit.bCommon)
            continue;
        std::optional<HeaderPath> next = pattern.Match(start, unit.mnemonics);
        if (next)
            return ResolvedCommand{&row, handler, unit.bCommon ? path : *next};
    }
    return kUndefinedHeader;
}
