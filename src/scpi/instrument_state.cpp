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
    m_bOutputOn = false;
}

void CInstrumentState::ReportReceived(const QByteArray& bytes)
{
    const std::optional<quint32> word = ReportedWord(bytes);
    if (!word)
        return;
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

void CInstrumentState::FrameAcknowledged(FrameKind kind)
{
    if (kind == FrameKind::Point || kind == FrameKind::Sweep)
        m_bOutputOn = true;
    else if (kind == FrameKind::Close)
        m_bOutputOn = false;
}
