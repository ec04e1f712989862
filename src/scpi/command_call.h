#pragma once

#include "scpi/board_request.h"
#include "scpi/program_data.h"
#include "scpi/scpi_error.h"

#include <QList>
#include <QString>

#include <optional>

class CClientStatus;
class CInstrumentState;
struct NumericSetting;

// What a command's handler is given.
struct CommandCall {
    CInstrumentState& state;
    CClientStatus& client;
    const QList<ProgramDatum>& data;
    // The setting of a row that reads or writes a number, else null.
    const NumericSetting* pSetting;
};

// What it gives back: an error to queue, an answer, a frame for the board,
// or nothing; and whether the rest of the message waits for the running
// single sweep to end.
struct CommandOutcome {
    std::optional<ScpiError> error;
    std::optional<QString> answer;
    std::optional<BoardRequest> request;
    bool bAwaitsSweep = false;

    static CommandOutcome Failed(const ScpiError& error) { return {error, std::nullopt, std::nullopt}; }
    static CommandOutcome Answered(const QString& strAnswer) { return {std::nullopt, strAnswer, std::nullopt}; }
    static CommandOutcome Requesting(const BoardRequest& request) { return {std::nullopt, std::nullopt, request}; }
};

using CommandHandler = CommandOutcome (*)(const CommandCall& call);

// A missing or surplus parameter is a syntax fault.
inline bool HasDataCount(const CommandCall& call, int nCount)
{
    return call.data.size() == nCount;
}

// *ESE, *SRE and the STATus enables: a mask from 0 to nHighest for one of
// the client's registers.
CommandOutcome SetClientMask(const CommandCall& call, void (CClientStatus::*setMask)(int), int nHighest);

// The answer of a query that takes no parameter.
inline CommandOutcome AnsweredWithoutData(const CommandCall& call, const QString& strAnswer)
{
    if (!HasDataCount(call, 0))
        return CommandOutcome::Failed(kSyntaxError);
    return CommandOutcome::Answered(strAnswer);
}
