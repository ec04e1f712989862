#pragma once

#include "scpi/board_request.h"
#include "scpi/decimal_value.h"

#include <QByteArray>

// The settings in base units (Hz, V, s), each as the client sent it.
struct InstrumentSettings {
    DecimalValue frequency;
    DecimalValue amplitude;
    DecimalValue start;
    DecimalValue stop;
    DecimalValue step;
    DecimalValue dwell;
    bool bCircular = false;
    bool bSweepMode = false;
};

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

    InstrumentSettings& Settings() { return m_settings; }
    const InstrumentSettings& Settings() const { return m_settings; }
    bool IsOutputOn() const { return m_bOutputOn; }
    // A point or sweep the board took turns the output on, a close off.
    void FrameAcknowledged(FrameKind kind);
    // In Hz as the sweep page shows it in MHz; 0 before any report.
    DecimalValue CurrentFrequency() const { return m_currentFrequency; }

private:
    InstrumentSettings m_settings;
    bool m_bOutputOn = false;
    DecimalValue m_currentFrequency;
};
