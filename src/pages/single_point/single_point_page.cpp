#include "pages/single_point/single_point_page.h"

#include "app/globals.h"
#include "app/handler_guard.h"
#include "app/message_box.h"
#include "encoding/number_text.h"
#include "encoding/text_parsing.h"
#include "encoding/words.h"
#include "protocol/frame.h"
#include "protocol/reply_text.h"
#include "protocol/send_frame.h"

#include <QSignalBlocker>

#include <algorithm>

namespace {

constexpr int kWatchMsecs = 200;
// Resends after the first frame; the last one goes out with count 06.
constexpr int kResendLimit = 5;
constexpr int kMinAmplitude = 0;
constexpr int kMaxAmplitude = 4;
constexpr int kMinFrequency = 10;
constexpr int kMaxFrequency = 400;

} // namespace

CSinglePointPage::CSinglePointPage(QWidget* pParent)
    : QWidget(pParent)
{
    m_ui.setupUi(this);
    m_timerWatch.setInterval(kWatchMsecs);
    // A coarse timer may tick 5% late, past the period the watch keeps.
    m_timerWatch.setTimerType(Qt::PreciseTimer);
    connect(&m_timerWatch, &QTimer::timeout, this, [this] { RunGuarded(this, [this] { OnTimer(); }, HandlerOrigin::Watch); });
    connect(m_ui.editAmplitude, &QLineEdit::textChanged, this, [this] { RunGuarded(this, [this] { OnChangeAmplitude(); }); });
    connect(m_ui.editFrequency, &QLineEdit::textChanged, this, [this] { RunGuarded(this, [this] { OnChangeFrequency(); }); });
    connect(m_ui.btnSend, &QPushButton::clicked, this, [this] { RunGuarded(this, [this] { OnSend(); }); });
    for (QScrollBar* pBar : {m_ui.scrollAmplitude, m_ui.scrollFrequency}) {
        ConnectScrollCodes(pBar, this, [this, pBar](ScrollCode nCode, int nThumbPos) { OnHScroll(nCode, nThumbPos, pBar); });
    }
    OnInitDialog();
}

void CSinglePointPage::OnInitDialog()
{
    UpdateData(false);
    m_ui.scrollAmplitude->setRange(kMinAmplitude, kMaxAmplitude);
    m_ui.scrollAmplitude->setValue(0);
    m_ui.scrollFrequency->setRange(kMinFrequency, kMaxFrequency);
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
    if (nAmplitude > kMaxAmplitude || nAmplitude < kMinAmplitude) {
        ShowMessageBox(this, QStringLiteral("out of scale"));
        nAmplitude = nAmplitude > kMaxAmplitude ? kMaxAmplitude : kMinAmplitude;
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
    if (nFrequency > kMaxFrequency) {
        ShowMessageBox(this, QStringLiteral("freq out of scale"));
        m_ui.editFrequency->setText(FormatFixed5(kMaxFrequency));
        nFrequency = kMaxFrequency;
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
    UpdateData(true);
    ScanFloat(m_strAmplitude, m_fAmplitude);
    int nAmplitude = IntegerPart(m_fAmplitude);
    ScanFloat(m_strFrequency, m_fFrequency);
    int nFrequency = IntegerPart(m_fFrequency);

    // Below 0 V but above -1 V the integer part passes while the word would
    // be negative and too wide for its field; such a value is corrected too.
    const int nCheckedAmplitude = std::clamp(nAmplitude, kMinAmplitude, kMaxAmplitude);
    if (nCheckedAmplitude != nAmplitude || m_fAmplitude < 0.0f) {
        nAmplitude = nCheckedAmplitude;
        m_ui.editAmplitude->setText(QString::number(nAmplitude));
        m_fAmplitude = static_cast<float>(nAmplitude);
    }
    m_ui.scrollAmplitude->setValue(nAmplitude);

    const int nCheckedFrequency = std::clamp(nFrequency, kMinFrequency, kMaxFrequency);
    if (nCheckedFrequency != nFrequency) {
        nFrequency = nCheckedFrequency;
        m_ui.editFrequency->setText(QString::number(nFrequency));
        m_fFrequency = static_cast<float>(nFrequency);
    }
    m_ui.scrollFrequency->setValue(nFrequency);

    g_bScanning = 0;
    g_bCloseAcked = 0;
    m_strCommand = QStringLiteral("01");
    QString strFrame = ComposeFrame(m_nSendRetry, m_strCommand,
                                    {{"tuning word", FrequencyToTuningWord(m_fFrequency), 4},
                                     {"amplitude word", AmplitudeToWord(m_fAmplitude, kSinglePointAmplitudeScale), 2}});
    SendFrame(strFrame);
    m_nRepliesBeforeFrame = g_nReceiveEvents;

    m_bSendDone = false;
    if (!m_bSendRetrying)
        m_timerWatch.start();
}

void CSinglePointPage::OnTimer()
{
    if (!m_bSendDone) {
        // The board names no frame in its answer, so only a reply that came
        // after this frame went out can answer it.
        if (g_nReceiveEvents != m_nRepliesBeforeFrame && IsAcknowledgement(g_strReply)) {
            m_nSendRetry = 0;
            m_bSendDone = true;
            m_bSendRetrying = false;
            m_timerWatch.stop();
        } else {
            m_bSendRetrying = true;
            ++m_nSendRetry;
            try {
                OnSend();
            } catch (...) {
                // A port that refuses one resend refuses the next: end the
                // watch before the failure is shown, or every tick shows it.
                EndWatch();
                throw;
            }
        }
    }
    if (m_nSendRetry > kResendLimit)
        EndWatch();
}

void CSinglePointPage::EndWatch()
{
    m_bSendRetrying = false;
    m_timerWatch.stop();
    m_bSendDone = true;
    m_nSendRetry = 0;
}
