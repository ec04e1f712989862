#include "pages/sweep/interval_table.h"
#include "pages/sweep/sweep_page.h"
#include "pages/sweep/time_interval.h"

#include "app/globals.h"
#include "app/message_box.h"
#include "encoding/text_parsing.h"
#include "encoding/words.h"
#include "protocol/frame.h"
#include "protocol/send_frame.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kMinFrequency = 10;
constexpr int kMaxFrequency = 400;
constexpr int kPauseCode = 0x83;
constexpr int kContinueCode = 0x84;

} // namespace

void CSweepPage::OnScan()
{
    // Refused before anything changes, so the operator can mend the field.
    const int nInterval = IntervalCountToSend(m_ui.editTimeInterval->text());
    UpdateData(true);
    int nStart = std::clamp(AtoiPrefix(m_ui.editStartFreq->text()), kMinFrequency, kMaxFrequency);
    int nEnd = std::clamp(AtoiPrefix(m_ui.editEndFreq->text()), kMinFrequency, kMaxFrequency);
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
        m_ui.editAmplitude->setText(QStringLiteral("0"));

    const int nRow = m_ui.cmbInterval->currentIndex();
    g_bScanning = 1;
    g_bCloseAcked = 0;
    const IntervalRow& row = IntervalRowAt(nRow);
    m_strStepCode = QString::fromLatin1(row.pszCode);
    m_dStepMHz = row.dStepMHz;
    m_strCommand = QStringLiteral("03");
    QString strFrame = ComposeFrame(m_nScanRetry, m_strCommand,
                                    {{"start word", m_dwStartWord, 4},
                                     {"end word", m_dwEndWord, 4},
                                     {"amplitude word", AmplitudeToWord(m_fAmplitude, kSweepAmplitudeScale), 2},
                                     {"step code", m_strStepCode.toInt(nullptr, 16), 1},
                                     {"time interval", nInterval, 4},
                                     {"circular flag", m_bCircular == 1 ? 1 : 0, 1}});
    SendFrame(strFrame);

    m_bScanDone = false;
    if (!m_bScanRetrying)
        m_timerScanWatch.start();
    // The watch waits for a reply to this frame, not an earlier one.
    g_strReply.clear();
    if (m_bContinueReplySeen)
        m_timerContinueWatch.stop();
    m_ui.btnScan->setEnabled(false);
    m_ui.btnPause->setEnabled(true);
}

void CSweepPage::OnPause()
{
    const bool bPause = g_bPauseNext != 0;
    g_bPauseNext = bPause ? 0 : 1;
    m_ui.btnPause->setText(bPause ? QStringLiteral("Continue") : QStringLiteral("Pause"));
    QString strFrame = ComposeFrame(bPause ? m_nPauseRetry : m_nContinueRetry, QStringLiteral("40"),
                                    {{"control code", bPause ? kPauseCode : kContinueCode, 1}});
    SendFrame(strFrame);
    if (bPause) {
        m_bPauseDone = false;
        if (!m_bPauseRetrying)
            m_timerPauseWatch.start();
    } else {
        m_bContinueDone = false;
        if (!m_bContinueRetrying)
            m_timerContinueWatch.start();
    }
    g_strReply.clear();
}
