#pragma once

#include "scpi/command_call.h"
#include "scpi/header_pattern.h"
#include "scpi/message_parser.h"

#include <variant>

struct NumericSetting;

// One command: its header as SCPI documents write it, what its set and query
// forms do (null for a form it lacks) and the setting a numeric row works on.
struct CommandRow {
    const char* pszPattern;
    CommandHandler set;
    CommandHandler query;
    const NumericSetting* pSetting;
};

struct ResolvedCommand {
    const CommandRow* pRow;
    CommandHandler handler;
    // Where the next command's header starts.
    HeaderPath path;
};

// The row a command's header names below the current path, in the form it
// was given; -113 when there is none.
std::variant<ResolvedCommand, ScpiError> ResolveCommand(const ProgramUnit& unit, const HeaderPath& path);
