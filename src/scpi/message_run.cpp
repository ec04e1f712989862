#include "scpi/message_run.h"

#include "scpi/command_table.h"
#include "scpi/error_queue.h"
#include "scpi/instrument_state.h"
#include "scpi/message_parser.h"

CMessageRun::CMessageRun(const QByteArray& message, CInstrumentState& state, CErrorQueue& errors)
    : m_state(state)
    , m_errors(errors)
    , m_units(SplitProgramUnits(message))
{
}

// A command that fails is skipped and the next one runs, as most instruments
// do: each command after a semicolon stands on its own.
std::optional<BoardRequest> CMessageRun::Next()
{
    m_awaited.reset();
    while (m_nNextUnit < m_units.size()) {
        const std::variant<ProgramUnit, ScpiError> parsed = ParseProgramUnit(m_units.at(m_nNextUnit++));
        if (const ScpiError* pError = std::get_if<ScpiError>(&parsed)) {
            m_errors.Push(*pError);
            continue;
        }
        const ProgramUnit& unit = std::get<ProgramUnit>(parsed);
        const std::variant<ResolvedCommand, ScpiError> resolved = ResolveCommand(unit, m_path);
        if (const ScpiError* pError = std::get_if<ScpiError>(&resolved)) {
            m_errors.Push(*pError);
            continue;
        }
        const ResolvedCommand& command = std::get<ResolvedCommand>(resolved);
        m_path = command.path;
        const CommandOutcome outcome = command.handler({m_state, m_errors, unit.data, command.pRow->pSetting});
        if (outcome.error)
            m_errors.Push(*outcome.error);
        if (outcome.answer)
            m_answers.append(*outcome.answer);
        if (outcome.request) {
            m_awaited = outcome.request->kind;
            return outcome.request;
        }
    }
    return std::nullopt;
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
        m_errors.Push(kBoardDidNotAcknowledge);
        break;
    case BoardOutcome::PortFailure:
        m_errors.Push(kHardwareMissing);
        break;
    }
    m_awaited.reset();
}

QString CMessageRun::Response() const
{
    return m_answers.join(QLatin1Char(';'));
}
