#pragma once

#include <QByteArray>

// What every client of the server shares: the settings as the clients set
// them, the output state and the last frequency the board reported.
class CInstrumentState {
public:
    CInstrumentState();

    // *RST: every setting back to its default, the output off.
    void Reset();
    // The bytes of one receive event; a report inside the frequencies the
    // sweep page shows becomes the current frequency.
    void ReportReceived(const QByteArray& bytes);
};
