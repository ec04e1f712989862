#pragma once

#include <QtGlobal>

// Where a sweep is, in double-precision MHz, from its start word toward its
// end word (downward when the end is lower) by 125 / 2^(13 - code) MHz a step.
class CSweep {
public:
    void Start(quint32 dwStartWord, quint32 dwEndWord, int nStepCode);
    // Moves nSteps steps on, stopping at the end; true once the end is reached.
    bool Advance(int nSteps);
    void Rewind();
    quint32 PresentWord() const;

private:
    quint32 m_dwStartWord = 0;
    quint32 m_dwEndWord = 0;
    quint32 m_dwPresentWord = 0;
    double m_dPresentMhz = 0;
    double m_dStepMhz = 0;
};
