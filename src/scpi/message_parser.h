#pragma once

#include "scpi/program_data.h"
#include "scpi/scpi_error.h"

#include <QByteArray>
#include <QList>

#include <variant>

// One command of a message: its header and its parameters.
struct ProgramUnit {
    // A common command (*IDN?), which leaves the header path alone.
    bool bCommon = false;
    // A leading colon: the header starts at the root.
    bool bRooted = false;
    // The header's mnemonics, upper case; for a common command its name after the '*'.
    QList<QByteArray> mnemonics;
    bool bQuery = false;
    QList<ProgramDatum> data;
};

// The commands of a message, split at the semicolons outside quotes. Empty
// ones are left out, as drivers send "*IDN?;" and ";;" between commands.
QList<QByteArray> SplitProgramUnits(const QByteArray& message);

// The header and parameters of one command, or the syntax error to queue.
std::variant<ProgramUnit, ScpiError> ParseProgramUnit(const QByteArray& unit);
