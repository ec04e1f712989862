#pragma once

#include "scpi/board_request.h"
#include "scpi/error_queue.h"
#include "scpi/instrument_state.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What one message did, with the board answering every frame the same way.
struct MessageResult {
    QString strResponse;
    // Each frame as its first transmission goes on the wire, CRC included.
    QStringList frames;
    QList<FrameKind> kinds;
};

// One client of a shared state, as the server runs it.
class CScpiSession {
public:
    MessageResult Run(const QByteArray& message, BoardOutcome outcome = BoardOutcome::Acknowledged);
    // The codes in the client's queue, oldest first; empties it.
    QList<int> TakeErrorCodes();

    CInstrumentState state;
    CErrorQueue errors;
};
