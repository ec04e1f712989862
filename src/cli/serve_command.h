#pragma once

#include "cli/cli_options.h"

class CRunOutput;
class CTrafficLog;

// The serve command: holds the port and serves SCPI over TCP until SIGINT or
// SIGTERM, then closes the port. Returns the exit status.
int RunServe(const CliOptions& options, CRunOutput& output, CTrafficLog& log);
