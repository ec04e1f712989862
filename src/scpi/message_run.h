#pragma once

#include "scpi/board_request.h"
#include "scpi/header_pattern.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class CErrorQueue;
class CInstrumentState;

// One message of one client (a line without its newline), run command by
// command on the shared state; errors go to the client's queue, which must
// outlive the run.
class CMessageRun {
public:
    CMessageRun(const QByteArray& message, CInstrumentState& state, CErrorQueue& errors);

    // Runs the commands up to the next one that needs the board and returns
    // its frame; none once the message has ended.
    std::optional<BoardRequest> Next();
    // How the board answered the frame Next returned last.
    void Answered(BoardOutcome outcome);
    // The answers to the message's queries joined by ';', without the
    // newline; empty when it held no query.
    QString Response() const;

private:
    CInstrumentState& m_state;
    CErrorQueue& m_errors;
    QList<QByteArray> m_units;
    int m_nNextUnit = 0;
    HeaderPath m_path;
    QStringList m_answers;
    std::optional<FrameKind> m_awaited;
};
