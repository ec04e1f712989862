#include "pages/stepping/stepping_page.h"

#include "pages/caption.h"
#include "pages/message_box.h"
#include "pages/port_fault.h"
#include "pages/run_flags.h"
#include "pages/stepping/frequency_trace.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <cmath>

namespace {

QString TimeLeftText(double dMsecsLeft)
{
    if (dMsecsLeft < 0.0)
        return QStringLiteral("endless");
    const qint64 nSeconds = static_cast<qint64>(std::ceil(dMsecsLeft / 1000.0));
    const qint64 nHours = nSeconds / 3600;
    const QString strMinutes =
        QStringLiteral("%1:%2").arg(nSeconds / 60 % 60).arg(nSeconds % 60, 2, 10, QLatin1Char('0'));
    if (nHours == 0)
        return QStringLiteral("left ") + strMinutes;
    return QStringLiteral("left %1:%2").arg(nHours).arg(strMinutes.rightJustified(5, QLatin1Char('0')));
}

} // namespace

void CSteppingPage::OnStart()
{
    if (m_run.IsRunning())
        return;
    const std::optional<StepPoints> points = PointsFromSettings();
    if (!points)
        return;
    m_points = *points;
    m_dPassMsecs = PassSeconds(m_points) * 1000.0;
    const auto [lowest, highest] = std::minmax_element(
        m_points.cbegin(), m_points.cend(),
        [](const StepPoint& a, const StepPoint& b) { return a.dFrequencyMHz < b.dFrequencyMHz; });
    m_ui.trace->Plan(lowest->dFrequencyMHz, highest->dFrequencyMHz, m_dPassMsecs / 1000.0,
                     m_ui.cmbSpacing->currentIndex() == kLogarithmicItem);
    m_nTracedPass = 1;
    m_ui.progressRun->setRange(0, static_cast<int>(m_points.size()));
    m_ui.progressRun->setValue(0);
    m_run.SetPoints(m_points);
    m_run.SetRepeat(m_ui.spinRepeat->value());
    // The first point may go out, and even end the run, inside Start.
    SetRunning(true);
    if (!m_run.Start()) {
        SetRunning(false);
        ShowMessageBox(this, m_run.ErrorText());
        return;
    }
    // Point frames end the board's own sweep, as the sending page's do.
    g_bScanning = 0;
}

void CSteppingPage::OnPause()
{
    if (!m_run.IsRunning())
        return;
    if (m_run.IsPaused())
        m_run.Continue();
    else
        m_run.Pause();
}

void CSteppingPage::OnStop()
{
    if (m_run.IsRunning())
        m_run.Abort();
}

void CSteppingPage::OnProgress(int nPoint, int nPoints, double dMsecsLeft)
{
    m_ui.progressRun->setMaximum(nPoints);
    m_ui.progressRun->setValue(nPoint);
    m_dMsecsLeft = dMsecsLeft;
    m_sinceProgress.start();
    ShowTimeLeft();
}

void CSteppingPage::OnPointDone(const StepRecord& record)
{
    if (record.nPass != m_nTracedPass) {
        m_nTracedPass = record.nPass;
        m_ui.trace->ClearPoints();
    }
    const double dPassStartMsecs = (record.nPass - 1) * m_dPassMsecs;
    m_ui.trace->AddPoint((record.dSentMsecs - dPassStartMsecs) / 1000.0, record.point.dDwellSeconds,
                         record.point.dFrequencyMHz);
}

void CSteppingPage::OnPausedChanged(bool bPaused)
{
    SetCaption(m_ui.btnPause, bPaused ? QStringLiteral("Continue") : QStringLiteral("Pause"));
    if (bPaused) {
        if (m_dMsecsLeft > 0.0)
            m_dMsecsLeft = std::max(0.0, m_dMsecsLeft - static_cast<double>(m_sinceProgress.elapsed()));
        m_timerTimeLeft.stop();
        ShowTimeLeft();
    } else {
        m_sinceProgress.start();
        m_timerTimeLeft.start();
    }
}

void CSteppingPage::OnFinished(SteppingEnd end)
{
    SetRunning(false);
    switch (end) {
    case SteppingEnd::Completed:
        m_dMsecsLeft = 0.0;
        m_ui.lblTimeLeft->setText(TimeLeftText(0.0));
        break;
    case SteppingEnd::Aborted:
        m_ui.lblTimeLeft->setText(QStringLiteral("stopped"));
        break;
    case SteppingEnd::NotAcknowledged:
        m_ui.lblTimeLeft->setText(QStringLiteral("failed"));
        ShowMessageBox(this, m_run.ErrorText());
        break;
    case SteppingEnd::PortFailed:
        m_ui.lblTimeLeft->setText(QStringLiteral("failed"));
        ShowPortFault(this, m_run.ErrorText());
        break;
    }
}

void CSteppingPage::ShowTimeLeft()
{
    double dMsecsLeft = m_dMsecsLeft;
    if (dMsecsLeft > 0.0 && m_timerTimeLeft.isActive())
        dMsecsLeft = std::max(0.0, dMsecsLeft - static_cast<double>(m_sinceProgress.elapsed()));
    m_ui.lblTimeLeft->setText(TimeLeftText(dMsecsLeft));
}

void CSteppingPage::SetRunning(bool bRunning)
{
    // Keyboard focus follows the buttons that can act.
    const bool bFocusOnRunButtons = m_ui.btnStart->hasFocus() || m_ui.btnPause->hasFocus() || m_ui.btnStop->hasFocus();
    for (QWidget* pSetting :
         {static_cast<QWidget*>(m_ui.cmbSpacing), static_cast<QWidget*>(m_ui.editStartFreq),
          static_cast<QWidget*>(m_ui.editEndFreq), static_cast<QWidget*>(m_ui.spinPoints), m_ui.widgetList,
          static_cast<QWidget*>(m_ui.editAmplitude), static_cast<QWidget*>(m_ui.editDwell),
          static_cast<QWidget*>(m_ui.spinRepeat), static_cast<QWidget*>(m_ui.btnStart)}) {
        pSetting->setEnabled(!bRunning);
    }
    m_ui.btnPause->setEnabled(bRunning);
    m_ui.btnStop->setEnabled(bRunning);
    SetCaption(m_ui.btnPause, QStringLiteral("Pause"));
    if (bRunning)
        m_timerTimeLeft.start();
    else
        m_timerTimeLeft.stop();
    if (bFocusOnRunButtons)
        (bRunning ? m_ui.btnPause : m_ui.btnStart)->setFocus();
}
