#include "pages/sweep/sweep_page.h"

#include "encoding/text_parsing.h"
#include "encoding/words.h"
#include "pages/caption.h"
#include "pages/message_box.h"
#include "pages/run_flags.h"
#include "protocol/frame_builders.h"
#include "protocol/interval_count.h"
#include "protocol/interval_table.h"
#include "protocol/limits.h"

#include <algorithm>
#include <utility>

void CSweepPage::OnScan()
{
    m_watchScan.Send();
}

QString CSweepPage::ComposeScanFrame(int nRetry)
{
    // Refused before anything changes, so the operator can mend the field.
    const int nInterval = IntervalCountToSend(m_ui.editTimeInterval->text());
    // Scan goes on after an invalid entry, with the members the loading left.
    UpdateData(true);
    m_strTimeInterval = m_ui.editTimeInterval->text();
    int nStart = std::clamp(AtoiPrefix(m_ui.editStartFreq->text()), kLowestFrequencyMHz, kHighestFrequencyMHz);
    int nEnd = std::clamp(AtoiPrefix(m_ui.editEndFreq->text()), kLowestFrequencyMHz, kHighestFrequencyMHz);
    if (nEnd < nStart) {
        ShowMessageBox(this, QStringLiteral("Stop frequency is greater than  start frequency"));
        std::swap(nStart, nEnd);
    }
    // Each write runs the field's change handler, so the words follow the
    // whole numbers written back.
    m_ui.editStartFreq->setText(QString::number(nStart));
    m_ui.editEndFreq->setText(QString::number(nEnd));
    // A negative word would take eight digits where the frame has four.
    if (m_fAmplitude < 0.0f)
        m_ui.editAmplitude->setText(QString::number(kLowestAmplitudeVolts));

    const int nRow = m_ui.cmbInterval->currentIndex();
    g_bScanning = 1;
    g_bCloseAcked = 0;
    const IntervalRow& row = IntervalRowAt(nRow);
    m_strStepCode = QString::fromLatin1(row.pszCode);
    m_dStepMHz = row.dStepMHz;
    m_strCommand = CommandText(Command::Sweep);
    SweepFrameFields fields;
    fields.dwStartWord = m_dwStartWord;
    fields.dwEndWord = m_dwEndWord;
    // Above 4 V the amplitude is being corrected: its message is open, and the
    // field reads 4 once it closes. A resend that comes meanwhile sends 4 V.
    const float fVolts = std::min(m_fAmplitude, static_cast<float>(kHighestAmplitudeVolts));
    fields.nAmplitudeWord = AmplitudeToWord(fVolts, kSweepAmplitudeScale);
    fields.nStepCode = m_strStepCode.toInt(nullptr, 16);
    fields.nIntervalCount = nInterval;
    fields.bCircular = m_bCircular == 1;
    return SweepFrame(nRetry, fields);
}

void CSweepPage::AfterScanFrame()
{
    if (m_bContinueReplySeen)
        m_watchContinue.Stop();
    m_ui.btnScan->setEnabled(false);
    m_ui.btnPause->setEnabled(true);
}

void CSweepPage::OnPause()
{
    if (g_bPauseNext)
        m_watchPause.Send();
    else
        m_watchContinue.Send();
}

// A resend composes the same frame again: the toggle and the caption end
// where the operator's press left them.
QString CSweepPage::ComposePauseFrame(int nRetry)
{
    g_bPauseNext = 0;
    SetCaption(m_ui.btnPause, QStringLiteral("Continue"));
    return PauseFrame(nRetry);
}

QString CSweepPage::ComposeContinueFrame(int nRetry)
{
    g_bPauseNext = 1;
    SetCaption(m_ui.btnPause, QStringLiteral("Pause"));
    return ContinueFrame(nRetry);
}
