#include "board/sweep.h"

#include "encoding/words.h"

#include <cmath>

namespace {

constexpr double kTwoTo32 = 4294967296.0;

// trunc(MHz / 1000 * 2^32), its low 32 bits.
quint32 MegahertzToTuningWord(double dMegahertz)
{
    double dLow = std::fmod(std::trunc(dMegahertz / 1000.0 * kTwoTo32), kTwoTo32);
    if (dLow < 0)
        dLow += kTwoTo32;
    return static_cast<quint32>(dLow);
}

} // namespace

void CSweep::Start(quint32 dwStartWord, quint32 dwEndWord, int nStepCode)
{
    m_dwStartWord = dwStartWord;
    m_dwEndWord = dwEndWord;
    const double dStep = std::ldexp(125.0, nStepCode - 13);
    m_dStepMhz = dwEndWord < dwStartWord ? -dStep : dStep;
    Rewind();
}

bool CSweep::Advance(int nSteps)
{
    const double dEndMhz = TuningWordToFrequencyExact(m_dwEndWord);
    m_dPresentMhz += nSteps * m_dStepMhz;
    const bool bReached = m_dStepMhz < 0 ? m_dPresentMhz <= dEndMhz : m_dPresentMhz >= dEndMhz;
    if (bReached) {
        m_dPresentMhz = dEndMhz;
        m_dwPresentWord = m_dwEndWord;
    } else {
        m_dwPresentWord = MegahertzToTuningWord(m_dPresentMhz);
    }
    return bReached;
}

void CSweep::Rewind()
{
    m_dwPresentWord = m_dwStartWord;
    m_dPresentMhz = TuningWordToFrequencyExact(m_dwStartWord);
}

quint32 CSweep::PresentWord() const
{
    return m_dwPresentWord;
}
