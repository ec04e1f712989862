#pragma once

#include "scpi/board_request.h"
#include "scpi/decimal_value.h"
#include "scpi/sweep_tracker.h"

#include <QByteArray>
#include <QList>

// The settings in base units (Hz, V, s), each as the client sent it, but the
// step and the dwell, which are kept as the board takes them.
struct InstrumentSettings {
    DecimalValue frequency;
    DecimalValue amplitude;
    DecimalValue start;
    DecimalValue stop;
    DecimalValue step;
    DecimalValue dwell;
    bool bCircular = false;
    bool bSweepMode = false;
    // Stepped from the computer: FREQ:MODE LIST, or SWE with LOG spacing.
    bool bListMode = false;
    bool bLogSpacing = false;
    int nPoints = 0;
    DecimalValue steppedDwell;
    QList<DecimalValue> listFrequencies;
    QList<DecimalValue> listVoltages;
    QList<DecimalValue> listDwells;
};

inline bool IsCwMode(const InstrumentSettings& settings)
{
    return !settings.bSweepMode && !settings.bListMode;
}

inline bool IsSteppedMode(const InstrumentSettings& settings)
{
    return settings.bListMode || (settings.bSweepMode && settings.bLogSpacing);
}

// What every client of the server shares: the settings as the clients set
// them, the output state, the board's sweep, the lock and the last frequency
// the board reported.
class CInstrumentState {
public:
    // Who holds no lock.
    static constexpr int kNobody = 0;

    CInstrumentState();

    // *RST: every setting back to its default and the reported frequency
    // forgotten; the output goes off once the board acknowledges the close.
    void Reset();
    // The bytes of one receive event; a report inside the frequencies the
    // sweep page shows becomes the current frequency.
    void ReportReceived(const QByteArray& bytes);

    InstrumentSettings& Settings() { return m_settings; }
    const InstrumentSettings& Settings() const { return m_settings; }
    bool IsOutputOn() const { return m_bOutputOn; }
    // A point or sweep the board took turns the output on, a close off; the
    // sweep follows every frame.
    void FrameAcknowledged(const BoardRequest& request);
    // In Hz as the sweep page shows it in MHz; 0 before any report.
    DecimalValue CurrentFrequency() const { return m_currentFrequency; }
    CSweepTracker& Sweep() { return m_sweep; }
    const CSweepTracker& Sweep() const { return m_sweep; }

    // The lock one client may hold against the others, by client number.
    int LockOwner() const { return m_nLockOwner; }
    // Whether the client holds the lock now; it is granted when nobody does.
    bool RequestLock(int nClient);
    void ReleaseLock(int nClient);
    // Whether another client's lock bars this one from changing anything.
    bool IsLockedAgainst(int nClient) const;

    // Whether the port to the board is open, for *TST?.
    void SetPortOpen(bool bOpen) { m_bPortOpen = bOpen; }
    bool IsPortOpen() const { return m_bPortOpen; }
    // The shortest stepped dwell the line allows.
    void SetLeastDwellSeconds(double dSeconds) { m_dLeastDwellSeconds = dSeconds; }
    double LeastDwellSeconds() const { return m_dLeastDwellSeconds; }

private:
    InstrumentSettings m_settings;
    bool m_bOutputOn = false;
    DecimalValue m_currentFrequency;
    CSweepTracker m_sweep;
    int m_nLockOwner = kNobody;
    bool m_bPortOpen = true;
    // 9600 baud, no adapter.
    double m_dLeastDwellSeconds = 0.021;
};
