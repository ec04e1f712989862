#pragma once

#include "scpi/command_call.h"
#include "scpi/header_pattern.h"
#include "scpi/message_parser.h"

#include <variant>

struct NumericSetting;

// One command: its header as SCPI documents write it, what its set and query
// forms do (null for a form it lacks), the setting a numeric row works on,
// and whether another client's lock refuses its set form.
struct CommandRow {
    const char* pszPattern;
    CommandHandler set;
    CommandHandler query;
    const NumericSetting* pSetting;
    bool bProtected;
};

struct ResolvedCommand {
    const CommandRow* pRow;
    CommandHandler handler;
    // Where the next command's header starts.
    HeaderPath path;
};

// The row a command's header names below the current path, in the form it
// was given; -114 when it names one but with a numeric suffix the header
// does not take, -113 when there is none.
std::variant<ResolvedCommand, ScpiError> ResolveCommand(const ProgramUnit& unit, const HeaderPath& path);
