#include "pages/single_point/single_point_page.h"

#include "encoding/number_text.h"
#include "encoding/text_parsing.h"
#include "encoding/words.h"
#include "pages/handler_guard.h"
#include "pages/message_box.h"
#include "pages/ms_comm.h"
#include "pages/port_fault.h"
#include "pages/reply_state.h"
#include "pages/run_flags.h"
#include "protocol/frame_builders.h"
#include "protocol/limits.h"

#include <QSignalBlocker>

#include <algorithm>

CSinglePointPage::CSinglePointPage(QWidget* pParent)
    : QWidget(pParent)
    , m_watchSend(kPointWatchPolicy, {m_nSendRetry, m_bSendDone, m_bSendRetrying},
                  [this](int nRetry) { return ComposeSendFrame(nRetry); }, g_msComm, &g_strReply)
{
    m_ui.setupUi(this);
    connect(&m_watchSend, &CResendWatch::SendFailed, this,
            [this](const QString& strWhy, bool bPortFault) { ShowFailure(this, strWhy, bPortFault); });
    connect(m_ui.editAmplitude, &QLineEdit::textChanged, this, [this] { RunGuarded(this, [this] { OnChangeAmplitude(); }); });
    connect(m_ui.editFrequency, &QLineEdit::textChanged, this, [this] { RunGuarded(this, [this] { OnChangeFrequency(); }); });
    connect(m_ui.btnSend, &QPushButton::clicked, this,
            [this] { RunGuarded(this, [this] { OnSend(); }, HandlerOrigin::Operator); });
    for (QScrollBar* pBar : {m_ui.scrollAmplitude, m_ui.scrollFrequency}) {
        ConnectScrollCodes(pBar, this, [this, pBar](ScrollCode nCode, int nThumbPos) { OnHScroll(nCode, nThumbPos, pBar); });
    }
    OnInitDialog();
}

void CSinglePointPage::OnInitDialog()
{
    UpdateData(false);
    m_ui.scrollAmplitude->setRange(kLowestAmplitudeVolts, kHighestAmplitudeVolts);
    m_ui.scrollAmplitude->setValue(0);
    m_ui.scrollFrequency->setRange(kLowestFrequencyMHz, kHighestFrequencyMHz);
    m_ui.scrollFrequency->setValue(0);
    m_nSendRetry = 0;
    m_bSendRetrying = false;
}

void CSinglePointPage::UpdateData(bool bSaveAndValidate)
{
    if (bSaveAndValidate) {
        m_strAmplitude = m_ui.editAmplitude->text();
        m_strFrequency = m_ui.editFrequency->text();
        return;
    }
    const QSignalBlocker amplitudeBlocker(m_ui.editAmplitude);
    const QSignalBlocker frequencyBlocker(m_ui.editFrequency);
    if (m_ui.editAmplitude->text() != m_strAmplitude)
        m_ui.editAmplitude->setText(m_strAmplitude);
    if (m_ui.editFrequency->text() != m_strFrequency)
        m_ui.editFrequency->setText(m_strFrequency);
}

void CSinglePointPage::OnChangeAmplitude()
{
    m_strAmplitude = m_ui.editAmplitude->text();
    ScanFloat(m_strAmplitude, m_fAmplitude);
    int nAmplitude = IntegerPart(m_fAmplitude);
    if (nAmplitude > kHighestAmplitudeVolts || nAmplitude < kLowestAmplitudeVolts) {
        ShowMessageBox(this, QStringLiteral("out of scale"));
        nAmplitude = nAmplitude > kHighestAmplitudeVolts ? kHighestAmplitudeVolts : kLowestAmplitudeVolts;
        // Runs this handler again with a valid value.
        m_ui.editAmplitude->setText(QString::number(nAmplitude));
    }
    m_ui.scrollAmplitude->setValue(nAmplitude);
}

void CSinglePointPage::OnChangeFrequency()
{
    m_strFrequency = m_ui.editFrequency->text();
    // Only Send and the scroll bar set the member; typing just moves the bar.
    float fTyped = 0.0f;
    ScanFloat(m_strFrequency, fTyped);
    int nFrequency = IntegerPart(fTyped);
    if (nFrequency > kHighestFrequencyMHz) {
        ShowMessageBox(this, QStringLiteral("freq out of scale"));
        m_ui.editFrequency->setText(FormatFixed5(kHighestFrequencyMHz));
        nFrequency = kHighestFrequencyMHz;
    }
    m_ui.scrollFrequency->setValue(nFrequency);
}

void CSinglePointPage::OnHScroll(ScrollCode nCode, int nThumbPos, QScrollBar* pBar)
{
    const bool bAmplitude = pBar == m_ui.scrollAmplitude;
    if (!bAmplitude && pBar != m_ui.scrollFrequency)
        return;
    const int nPos = std::clamp(ScrolledPosition(pBar->value(), nCode, nThumbPos), pBar->minimum(), pBar->maximum());
    pBar->setSliderPosition(nPos);
    if (bAmplitude) {
        m_nAmplitudePos = nPos;
        m_fAmplitude = static_cast<float>(nPos);
        m_strAmplitude = FormatFixed3(nPos);
    } else {
        m_nFrequencyPos = nPos;
        m_fFrequency = static_cast<float>(nPos);
        m_strFrequency = FormatFixed3(nPos);
    }
    UpdateData(false);
}

void CSinglePointPage::OnSend()
{
    m_watchSend.Send();
}

QString CSinglePointPage::ComposeSendFrame(int nRetry)
{
    UpdateData(true);
    ScanFloat(m_strAmplitude, m_fAmplitude);
    int nAmplitude = IntegerPart(m_fAmplitude);
    ScanFloat(m_strFrequency, m_fFrequency);
    int nFrequency = IntegerPart(m_fFrequency);

    // Below 0 V but above -1 V the integer part passes while the word would
    // be negative and too wide for its field; such a value is corrected too.
    const int nCheckedAmplitude = std::clamp(nAmplitude, kLowestAmplitudeVolts, kHighestAmplitudeVolts);
    if (nCheckedAmplitude != nAmplitude || m_fAmplitude < 0.0f) {
        nAmplitude = nCheckedAmplitude;
        m_ui.editAmplitude->setText(QString::number(nAmplitude));
        m_fAmplitude = static_cast<float>(nAmplitude);
    }
    m_ui.scrollAmplitude->setValue(nAmplitude);

    const int nCheckedFrequency = std::clamp(nFrequency, kLowestFrequencyMHz, kHighestFrequencyMHz);
    if (nCheckedFrequency != nFrequency) {
        nFrequency = nCheckedFrequency;
        m_ui.editFrequency->setText(QString::number(nFrequency));
        m_fFrequency = static_cast<float>(nFrequency);
    }
    m_ui.scrollFrequency->setValue(nFrequency);

    g_bScanning = 0;
    g_bCloseAcked = 0;
    m_strCommand = CommandText(Command::SinglePoint);
    return PointFrame(nRetry, FrequencyToTuningWord(m_fFrequency), AmplitudeToWord(m_fAmplitude, kSinglePointAmplitudeScale));
}
