#pragma once

#include "scpi/board_request.h"
#include "scpi/header_pattern.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class CClientStatus;
class CInstrumentState;

// One message of one client (a line without its newline), run command by
// command on the shared state; errors go to the client's status, which must
// outlive the run.
class CMessageRun {
public:
    enum class Step {
        Ended,
        // Request() needs the board; Answered tells how it answered.
        AwaitsBoard,
        // *OPC? or *WAI met a running single sweep: the rest of the message
        // waits for it to stop running.
        AwaitsSweep,
    };

    CMessageRun(const QByteArray& message, CInstrumentState& state, CClientStatus& client);

    // Runs the commands up to the next one that needs the board or waits.
    Step Next();
    // The frame of the last AwaitsBoard.
    const BoardRequest& Request() const;
    // How the board answered that frame.
    void Answered(BoardOutcome outcome);
    // The answers to the message's queries joined by ';', without the
    // newline; empty when it held no query.
    QString Response() const;

private:
    CInstrumentState& m_state;
    CClientStatus& m_client;
    QList<QByteArray> m_units;
    int m_nNextUnit = 0;
    HeaderPath m_path;
    QStringList m_answers;
    std::optional<BoardRequest> m_awaited;
};
