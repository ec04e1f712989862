#include "stream/stream_window.h"

#include "app/drivers_control_dlg.h"
#include "pages/message_box.h"
#include "pages/ms_comm.h"
#include "serial/watch_policies.h"
#include "support/clock.h"
#include "support/probe_application.h"
#include "support/run_until.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>

#include <memory>

namespace {

constexpr int kSettleMs = 1000;
constexpr int kAckTimeoutMs = 3000;
constexpr int kStreamStartTimeoutMs = 5000;
// The stream has ended and the last watch tick has been, well before this.
constexpr int kAfterStreamMs = 1000;
// Measuring stops this long before the board ends the stream.
constexpr qint64 kStopEarlyNs = 500 * 1000000LL;

double Percent(qint64 nCpuNs, qint64 nWallNs)
{
    return nWallNs > 0 ? 100.0 * static_cast<double>(nCpuNs) / static_cast<double>(nWallNs) : 0;
}

// Before each tick of the scan watch is handled, notes what the field shows:
// only the watches' timers run at their period, and of them only the scan
// watch's during a scan. Taken before the tick rather than after it, since a
// tick's own handling may deliver further events before it returns.
class CTickNotes : public QObject {
public:
    CTickNotes(const QLineEdit& field, QList<ShownText>& texts)
        : m_field(field)
        , m_texts(texts)
    {
    }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        const auto* pTimer = pEvent->type() == QEvent::Timer ? qobject_cast<QTimer*>(pWatched) : nullptr;
        if (pTimer && !pTimer->isSingleShot() && pTimer->interval() == kSweepWatchPolicy.nPeriodMsecs
            && static_cast<QTimerEvent*>(pEvent)->timerId() == pTimer->timerId())
            m_texts.append({MonotonicNs(), m_field.text()});
        return false;
    }

private:
    const QLineEdit& m_field;
    QList<ShownText>& m_texts;
};

} // namespace

bool RecordWindow(CProbeApplication& app, const QString& strPort, double dStreamSeconds, double dIdleSeconds,
                  WindowRecord& record, QString& strError)
{
    g_msComm.Ports().ClearPreferred();
    g_msComm.Ports().AddPreferred(strPort, QStringLiteral("stream board"));
    SetMessageBoxHook([&record](const QString& strText) { record.messages.append(strText); });
    auto pWindow = std::make_unique<CDriversControlDlg>();
    pWindow->show();
    if (!QTest::qWaitForWindowExposed(pWindow.get())) {
        strError = QStringLiteral("the main window was never exposed");
        return false;
    }
    pWindow->Controls().tabPages->setCurrentIndex(1);
    const Ui::CSweepPage& ui = pWindow->SweepPage().Controls();
    ui.editAmplitude->setText(QStringLiteral("1"));
    ui.editStartFreq->setText(QStringLiteral("20"));
    ui.editEndFreq->setText(QStringLiteral("400"));
    RunFor(kSettleMs);

    const qint64 nIdleCpuNs = ProcessCpuNs();
    const qint64 nIdleWallNs = MonotonicNs();
    RunFor(static_cast<int>(dIdleSeconds * 1000));
    record.dIdleCpuPercent = Percent(ProcessCpuNs() - nIdleCpuNs, MonotonicNs() - nIdleWallNs);

    // Cheap enough for every event: a count and a text compared.
    QObject counter;
    QObject::connect(&g_msComm, &CSerialLink::replyReceived, &counter, [&record](const QByteArray& bytes) {
        ++record.nReceiveEvents;
        record.nBytesReceived += bytes.size();
        if (record.nFirstReportNs == 0 && record.nReceiveEvents == 2)
            record.nFirstReportNs = MonotonicNs();
    });
    QString strShown = ui.editCurrentFreq->text();
    const auto notice = [&] {
        const QString strText = ui.editCurrentFreq->text();
        if (strText != strShown) {
            record.shown.append({MonotonicNs(), strText});
            strShown = strText;
        }
    };

    CTickNotes tickNotes(*ui.editCurrentFreq, record.tickTexts);
    app.installEventFilter(&tickNotes);
    ui.btnScan->click();
    const CSweepPage& page = pWindow->SweepPage();
    if (!RunUntil(app, [&page] { return page.IsWatchDone(CSweepPage::kScanWatch); }, kAckTimeoutMs, notice)) {
        strError = QStringLiteral("the board never acknowledged Scan");
        return false;
    }
    if (!RunUntil(app, [&record] { return record.nFirstReportNs != 0; }, kStreamStartTimeoutMs, notice)) {
        strError = QStringLiteral("no report came");
        return false;
    }

    qint64 nLastCpuNs = ProcessCpuNs();
    qint64 nLastWallNs = MonotonicNs();
    const qint64 nStartCpuNs = nLastCpuNs;
    const qint64 nStartWallNs = nLastWallNs;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, &sampler, [&] {
        const qint64 nCpuNs = ProcessCpuNs();
        const qint64 nWallNs = MonotonicNs();
        record.cpuPercentPerSecond.append(Percent(nCpuNs - nLastCpuNs, nWallNs - nLastWallNs));
        nLastCpuNs = nCpuNs;
        nLastWallNs = nWallNs;
    });
    sampler.start(1000);
    const qint64 nUntilNs = record.nFirstReportNs + static_cast<qint64>(dStreamSeconds * 1e9) - kStopEarlyNs;
    RunUntil(app, [nUntilNs] { return MonotonicNs() >= nUntilNs; }, static_cast<int>(dStreamSeconds * 1000) + 1000, notice);
    sampler.stop();
    record.dCpuPercentWhole = Percent(ProcessCpuNs() - nStartCpuNs, MonotonicNs() - nStartWallNs);
    record.nMeasuredUntilNs = MonotonicNs();

    app.removeEventFilter(&tickNotes);
    RunUntil(app, [] { return false; }, kAfterStreamMs, notice);
    record.strFinalText = ui.editCurrentFreq->text();
    pWindow.reset();
    SetMessageBoxHook({});
    return true;
}
