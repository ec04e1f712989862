#include "scpi/message_run.h"

#include "scpi/client_status.h"
#include "scpi/command_table.h"
#include "scpi/instrument_state.h"
#include "scpi/message_parser.h"

CMessageRun::CMessageRun(const QByteArray& message, CInstrumentState& state, CClientStatus& client)
    : m_state(state)
    , m_client(client)
    , m_units(SplitProgramUnits(message))
{
}

// A command that fails is skipped and the next one runs, as most instruments
// do: each command after a semicolon stands on its own.
CMessageRun::Step CMessageRun::Next()
{
    m_awaited.reset();
    CErrorQueue& errors = m_client.Errors();
    while (m_nNextUnit < m_units.size()) {
        const std::variant<ProgramUnit, ScpiError> parsed = ParseProgramUnit(m_units.at(m_nNextUnit++));
        if (const ScpiError* pError = std::get_if<ScpiError>(&parsed)) {
            errors.Push(*pError);
            continue;
        }
        const ProgramUnit& unit = std::get<ProgramUnit>(parsed);
        const std::variant<ResolvedCommand, ScpiError> resolved = ResolveCommand(unit, m_path);
        if (const ScpiError* pError = std::get_if<ScpiError>(&resolved)) {
            errors.Push(*pError);
            continue;
        }
        const ResolvedCommand& command = std::get<ResolvedCommand>(resolved);
        m_path = command.path;
        if (!unit.bQuery && command.pRow->bProtected && m_state.IsLockedAgainst(m_client.Client())) {
            errors.Push(kCommandProtected);
            continue;
        }
        const CommandOutcome outcome = command.handler({m_state, m_client, unit.data, command.pRow->pSetting});
        if (outcome.error)
            errors.Push(*outcome.error);
        if (outcome.answer)
            m_answers.append(*outcome.answer);
        if (outcome.request) {
            m_awaited = outcome.request;
            return Step::AwaitsBoard;
        }
        if (outcome.bAwaitsSweep)
            return Step::AwaitsSweep;
    }
    return Step::Ended;
}

const BoardRequest& CMessageRun::Request() const
{
    return *m_awaited;
}

void CMessageRun::Answered(BoardOutcome outcome)
{
    if (!m_awaited)
        return;
    switch (outcome) {
    case BoardOutcome::Acknowledged:
        m_state.FrameAcknowledged(*m_awaited);
        break;
    case BoardOutcome::NotAcknowledged:
        m_client.Errors().Push(kBoardDidNotAcknowledge);
        break;
    case BoardOutcome::PortFailure:
        m_client.Errors().Push(kHardwareMissing);
        break;
    }
    m_awaited.reset();
}

QString CMessageRun::Response() const
{
    return m_answers.join(QLatin1Char(';'));
}
