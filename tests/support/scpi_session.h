#pragma once

#include "scpi/board_request.h"
#include "scpi/client_status.h"
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
    // How often the message waited for a single sweep to end.
    int nSweepWaits = 0;
};

// One client of a shared state, as the server runs it.
class CScpiSession {
public:
    explicit CScpiSession(CInstrumentState& shared, int nClient = 1);
    CScpiSession();

    // A wait for a single sweep lasts until the sweep stops running.
    MessageResult Run(const QByteArray& message, BoardOutcome outcome = BoardOutcome::Acknowledged);
    // The codes in the client's queue, oldest first; empties it.
    QList<int> TakeErrorCodes();

private:
    CInstrumentState m_ownState;

public:
    CInstrumentState& state;
    CClientStatus client;
};
