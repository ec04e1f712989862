#pragma once

#include "scpi/command_call.h"

// IEEE 488.2 common commands and the SYSTem subsystem.
CommandOutcome QueryIdentity(const CommandCall& call);
CommandOutcome ResetInstrument(const CommandCall& call);
CommandOutcome ClearStatus(const CommandCall& call);
CommandOutcome SetOperationComplete(const CommandCall& call);
CommandOutcome QueryOperationComplete(const CommandCall& call);
CommandOutcome WaitToContinue(const CommandCall& call);
CommandOutcome QueryEventStatus(const CommandCall& call);
CommandOutcome QueryStatusByte(const CommandCall& call);
CommandOutcome QueryNextError(const CommandCall& call);
CommandOutcome QueryVersion(const CommandCall& call);

// Settings: the numeric ones through the row's NumericSetting.
CommandOutcome SetNumeric(const CommandCall& call);
CommandOutcome QueryNumeric(const CommandCall& call);
CommandOutcome SetSweepCount(const CommandCall& call);
CommandOutcome QuerySweepCount(const CommandCall& call);
CommandOutcome SetFrequencyMode(const CommandCall& call);
CommandOutcome QueryFrequencyMode(const CommandCall& call);

// What starts, pauses and stops the output, and what the board reports.
CommandOutcome SetOutput(const CommandCall& call);
CommandOutcome QueryOutput(const CommandCall& call);
CommandOutcome Initiate(const CommandCall& call);
CommandOutcome PauseSweep(const CommandCall& call);
CommandOutcome ResumeSweep(const CommandCall& call);
CommandOutcome QueryCurrentFrequency(const CommandCall& call);
