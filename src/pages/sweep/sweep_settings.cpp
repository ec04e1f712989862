#include "pages/sweep/sweep_page.h"

#include "encoding/interval_display.h"
#include "encoding/number_text.h"
#include "encoding/text_parsing.h"
#include "encoding/words.h"
#include "pages/message_box.h"
#include "protocol/interval_table.h"
#include "protocol/limits.h"

#include <algorithm>

void CSweepPage::OnChangeAmplitude()
{
    m_strAmplitude = m_ui.editAmplitude->text();
    ScanFloat(m_strAmplitude, m_fAmplitude);
    if (m_fAmplitude > kHighestAmplitudeVolts) {
        ShowMessageBox(this, QStringLiteral("out of scale"));
        // Runs this handler again, which takes 4.0.
        m_ui.editAmplitude->setText(QString::number(kHighestAmplitudeVolts));
    }
}

void CSweepPage::OnHScroll(ScrollCode nCode, int nThumbPos, QScrollBar* pBar)
{
    if (pBar != m_ui.scrollAmplitude)
        return;
    const int nPos = std::clamp(ScrolledPosition(pBar->value(), nCode, nThumbPos), pBar->minimum(), pBar->maximum());
    m_nAmplitudePos = nPos;
    m_fAmplitude = static_cast<float>(nPos);
    pBar->setSliderPosition(nPos);
    m_strAmplitude = FormatFixed3(nPos);
    // Pushes every member, so a Circular Scan tick made since the last Scan
    // is undone too.
    UpdateData(false);
}

void CSweepPage::OnChangeStartFreq()
{
    m_strStartFreq = m_ui.editStartFreq->text();
    ScanFloat(m_strStartFreq, m_fStartFreq);
    m_dwStartWord = FrequencyToTuningWord(m_fStartFreq);
}

void CSweepPage::OnChangeEndFreq()
{
    m_strEndFreq = m_ui.editEndFreq->text();
    ScanFloat(m_strEndFreq, m_fEndFreq);
    m_dwEndWord = FrequencyToTuningWord(m_fEndFreq);
}

void CSweepPage::OnDropdownInterval()
{
    // Rebuilt on every opening, so an earlier choice is gone and the index
    // is always the table index.
    m_ui.cmbInterval->clear();
    for (int nIndex = 0; nIndex < kIntervalRowCount; ++nIndex)
        m_ui.cmbInterval->insertItem(nIndex, QString::fromLatin1(IntervalRowAt(nIndex).pszText));
    m_ui.cmbInterval->setCurrentIndex(-1);
    m_ui.cmbInterval->clearEditText();
}

void CSweepPage::OnChangeTimeInterval()
{
    m_strTimeInterval = m_ui.editTimeInterval->text();
    const std::optional<IntervalDisplay> display = IntervalDisplayOf(m_strTimeInterval);
    if (!display)
        return;
    m_ui.lblIntervalValue->setText(display->strValue);
    m_ui.lblIntervalUnit->setText(display->strUnit);
}
