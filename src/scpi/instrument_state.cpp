#include "scpi/instrument_state.h"

#include "scpi/setting_rules.h"
#include "encoding/words.h"
#include "protocol/reported_word.h"

#include <charconv>

CInstrumentState::CInstrumentState()
    : m_settings(DefaultSettings())
{
}

void CInstrumentState::Reset()
{
    m_settings = DefaultSettings();
    m_currentFrequency = DecimalValue();
}

void CInstrumentState::ReportReceived(const QByteArray& bytes)
{
    const std::optional<quint32> word = ReportedWord(bytes);
    if (!word)
        return;
    m_sweep.ReportReceived(*word);
    // The sweep page tests the exact value before rounding it to a float: a
    // report of 399.9999999 MHz is shown as 400.
    const double dExact = TuningWordToFrequencyExact(*word);
    if (!IsShownFrequency(dExact))
        return;
    // The float the page holds, in its shortest digits: 100 MHz, not 99.99999998.
    char text[32];
    const std::to_chars_result result = std::to_chars(text, text + sizeof text, static_cast<float>(dExact));
    *result.ptr = '\0';
    m_currentFrequency = Scaled(*DecimalFromText(text), 6);
}

void CInstrumentState::FrameAcknowledged(const BoardRequest& request)
{
    switch (request.stepped) {
    case SteppedAction::None:
        break;
    case SteppedAction::Start:
        m_bOutputOn = true;
        m_sweep.Started(request.sweep);
        return;
    case SteppedAction::Abort:
        m_sweep.Ended();
        return;
    case SteppedAction::Pause:
        m_sweep.Paused();
        return;
    case SteppedAction::Continue:
        m_sweep.Continued();
        return;
    }
    switch (request.kind) {
    case FrameKind::Point:
        m_bOutputOn = true;
        m_sweep.Ended();
        break;
    case FrameKind::Sweep:
        m_bOutputOn = true;
        m_sweep.Started(request.sweep);
        break;
    case FrameKind::Close:
        m_bOutputOn = false;
        m_sweep.Ended();
        break;
    case FrameKind::Pause:
        m_sweep.Paused();
        break;
    case FrameKind::Continue:
        m_sweep.Continued();
        break;
    }
}

bool CInstrumentState::RequestLock(int nClient)
{
    if (m_nLockOwner == kNobody)
        m_nLockOwner = nClient;
    return m_nLockOwner == nClient;
}

void CInstrumentState::ReleaseLock(int nClient)
{
    if (m_nLockOwner == nClient)
        m_nLockOwner = kNobody;
}

bool CInstrumentState::IsLockedAgainst(int nClient) const
{
    return m_nLockOwner != kNobody && m_nLockOwner != nClient;
}
