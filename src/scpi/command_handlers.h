#pragma once

#include "scpi/command_call.h"

// IEEE 488.2's mandatory common commands.
CommandOutcome QueryIdentity(const CommandCall& call);
CommandOutcome ResetInstrument(const CommandCall& call);
CommandOutcome ClearStatus(const CommandCall& call);
CommandOutcome SetEventEnable(const CommandCall& call);
CommandOutcome QueryEventEnable(const CommandCall& call);
CommandOutcome QueryEventStatus(const CommandCall& call);
CommandOutcome SetOperationComplete(const CommandCall& call);
CommandOutcome QueryOperationComplete(const CommandCall& call);
CommandOutcome SetServiceEnable(const CommandCall& call);
CommandOutcome QueryServiceEnable(const CommandCall& call);
CommandOutcome QueryStatusByte(const CommandCall& call);
CommandOutcome QuerySelfTest(const CommandCall& call);
CommandOutcome WaitToContinue(const CommandCall& call);

// The SYSTem subsystem: errors, version and the lock.
CommandOutcome QueryNextError(const CommandCall& call);
CommandOutcome QueryErrorCount(const CommandCall& call);
CommandOutcome QueryAllErrors(const CommandCall& call);
CommandOutcome QueryVersion(const CommandCall& call);
CommandOutcome RequestLock(const CommandCall& call);
CommandOutcome ReleaseLock(const CommandCall& call);
CommandOutcome QueryLockOwner(const CommandCall& call);

// The STATus subsystem.
CommandOutcome QueryOperationEvents(const CommandCall& call);
CommandOutcome QueryOperationCondition(const CommandCall& call);
CommandOutcome SetOperationEnable(const CommandCall& call);
CommandOutcome QueryOperationEnable(const CommandCall& call);
CommandOutcome QueryQuestionableEvents(const CommandCall& call);
CommandOutcome QueryQuestionableCondition(const CommandCall& call);
CommandOutcome SetQuestionableEnable(const CommandCall& call);
CommandOutcome QueryQuestionableEnable(const CommandCall& call);
CommandOutcome PresetStatus(const CommandCall& call);

// Settings: the numeric ones through the row's NumericSetting.
CommandOutcome SetNumeric(const CommandCall& call);
CommandOutcome QueryNumeric(const CommandCall& call);
CommandOutcome SetSweepCount(const CommandCall& call);
CommandOutcome QuerySweepCount(const CommandCall& call);
CommandOutcome SetFrequencyMode(const CommandCall& call);
CommandOutcome QueryFrequencyMode(const CommandCall& call);

// Stepped sweeps: logarithmic spacing and lists.
CommandOutcome SetSweepSpacing(const CommandCall& call);
CommandOutcome QuerySweepSpacing(const CommandCall& call);
CommandOutcome SetSweepPoints(const CommandCall& call);
CommandOutcome QuerySweepPoints(const CommandCall& call);
CommandOutcome SetSweepDwell(const CommandCall& call);
CommandOutcome QuerySweepDwell(const CommandCall& call);
CommandOutcome QuerySweepTime(const CommandCall& call);
CommandOutcome SetListFrequencies(const CommandCall& call);
CommandOutcome QueryListFrequencies(const CommandCall& call);
CommandOutcome SetListVoltages(const CommandCall& call);
CommandOutcome QueryListVoltages(const CommandCall& call);
CommandOutcome SetListDwells(const CommandCall& call);
CommandOutcome QueryListDwells(const CommandCall& call);
CommandOutcome QueryListFrequencyCount(const CommandCall& call);
CommandOutcome QueryListVoltageCount(const CommandCall& call);
CommandOutcome QueryListDwellCount(const CommandCall& call);
// INIT or OUTP ON in a stepped mode: the points, checked.
CommandOutcome SteppedStart(const CInstrumentState& state);

// What starts, stops and pauses the output, and what the board reports.
CommandOutcome SetOutput(const CommandCall& call);
CommandOutcome QueryOutput(const CommandCall& call);
CommandOutcome Initiate(const CommandCall& call);
CommandOutcome Abort(const CommandCall& call);
CommandOutcome PauseSweep(const CommandCall& call);
CommandOutcome ResumeSweep(const CommandCall& call);
CommandOutcome QueryCurrentFrequency(const CommandCall& call);
