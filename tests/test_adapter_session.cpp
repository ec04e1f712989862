// The board behind a USB-serial adapter that holds its output up to 16 ms:
// the program must take each acknowledgement as one reply, with the gap
// that the adapter's latency gives or with the line's own 4 ms gap, where
// the first byte of an answer waits for its second.

#include "pages/ms_comm.h"
#include "protocol/frame_builders.h"
#include "protocol/reply_text.h"
#include "serial/board_line.h"
#include "serial/resend_watch.h"
#include "serial/serial_link.h"
#include "support/golden_frames.h"
#include "support/window_on_board.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

namespace {

constexpr int kAdapterLatencyMs = 16;
constexpr int kSends = 200;
constexpr int kWaitMs = 10000;
// Enough that reports cut in two would show among them.
constexpr int kShownReports = 80;
// The single-point watch's rules at half its period, with room to spare for
// a reply held by the adapter and grouped on its gap.
constexpr int kPeriodMs = 100;

// The board shares this thread: it must run all the while, which QTest's
// waits, sleeping between looks, would not let it.
void RunEventsFor(int nMsecs)
{
    QEventLoop loop;
    QTimer::singleShot(nMsecs, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

class TestAdapterSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyAcknowledgementIsOneReply_data()
    {
        QTest::addColumn<int>("forcedLatencyMs");
        QTest::newRow("the adapter's gap") << kAdapterLatencyMs;
        // About one reply in sixteen straddles a tick of the adapter; the chance
        // that none of 200 does is below one in a hundred thousand.
        QTest::newRow("the line's own gap, an answer straddling a tick") << 0;
    }

    // Point frames through the single-point watch's rules. A loaded machine
    // may judge an answer late and resend, but every answer must arrive
    // whole: one cut in two shows as a receive event of half an answer.
    void everyAcknowledgementIsOneReply()
    {
        QFETCH(int, forcedLatencyMs);
        CVirtualBoard board;
        QVERIFY(board.Open());
        board.SetAdapterLatency(kAdapterLatencyMs);
        CSerialLink link;
        link.Ports().AddPreferred(board.PortName(), QStringLiteral("board behind an adapter"));
        link.Attach();
        // A pseudo-terminal is no USB device: the latency is given, as for an
        // adapter the system does not report.
        link.SetAdapterLatency(forcedLatencyMs);
        SetUpBoardLine(link);
        // The reply text as the window's receive path keeps it.
        QString strReply;
        qsizetype nAnswers = 0;
        QStringList split;
        connect(&link, &CSerialLink::replyReceived, this, [&](const QByteArray& bytes) {
            strReply = ReplyText(bytes);
            const QString strHex = QString::fromLatin1(bytes.toHex().toUpper());
            const qsizetype nWhole = strHex.size() / kAcknowledgementReply.size();
            if (nWhole == 0 || strHex != kAcknowledgementReply.repeated(nWhole))
                split.append(strHex);
            nAnswers += nWhole;
        });

        WatchPolicy policy = kPointWatchPolicy;
        policy.nPeriodMsecs = kPeriodMs;
        int nRetry = 0;
        bool bDone = false;
        bool bRetrying = false;
        CResendWatch watch(policy, {nRetry, bDone, bRetrying},
                           [](int nCount) { return PointFrame(nCount, 0x19999999, 0x0FD7); }, link, &strReply);
        int nAcknowledged = 0;
        for (int nSend = 1; nSend <= kSends; ++nSend) {
            // Sends come at any phase of the adapter's own timer, as an
            // operator's clicks do, not locked to the last reply.
            RunEventsFor(nSend % (kAdapterLatencyMs + 1));
            QEventLoop exchange;
            const QMetaObject::Connection concluded = connect(&watch, &CResendWatch::Concluded, &exchange,
                                                              [&](WatchResult result) {
                                                                  nAcknowledged += result == WatchResult::Ack;
                                                                  exchange.quit();
                                                              });
            QTimer::singleShot(kWaitMs, &exchange, &QEventLoop::quit);
            watch.Send();
            exchange.exec();
            disconnect(concluded);
        }
        // A resend's answer may still be on its way.
        QElapsedTimer waited;
        waited.start();
        while (nAnswers < board.Frames().size() && waited.elapsed() < kWaitMs)
            RunEventsFor(10);
        qInfo("%d sends, %lld frames, %d acknowledged", kSends, static_cast<long long>(board.Frames().size()),
              nAcknowledged);
        QVERIFY2(split.isEmpty(), qPrintable(split.join(u' ')));
        QCOMPARE(nAcknowledged, kSends);
        QCOMPARE(nAnswers, board.Frames().size());
    }

    void reportStreamStillReachesCurrentFrequency()
    {
        WindowOnBoard fixture;
        fixture.Board().SetAdapterLatency(kAdapterLatencyMs);
        fixture.Board().SetReportInterval(5);
        g_msComm.SetAdapterLatency(kAdapterLatencyMs);
        // Picked again, so that the port opens with the adapter's gap.
        Q_EMIT fixture.Window().Controls().cmbComPort->activated(0);
        const Ui::CSweepPage& sweep = fixture.Window().SweepPage().Controls();
        sweep.editStartFreq->setText(QStringLiteral("100"));
        sweep.editEndFreq->setText(QStringLiteral("400"));
        // The finest step: the sweep goes on rising for far longer than the test.
        Q_EMIT sweep.cmbInterval->DropDown();
        sweep.cmbInterval->setCurrentIndex(0);
        sweep.btnScan->click();
        QStringList shown;
        QElapsedTimer waited;
        waited.start();
        while (shown.size() <= kShownReports && waited.elapsed() < kWaitMs) {
            const QString strText = sweep.editCurrentFreq->text();
            if (shown.isEmpty() || shown.last() != strText)
                shown.append(strText);
            RunEventsFor(5);
        }
        g_msComm.SetAdapterLatency(std::nullopt);
        // The line never falls quiet, so this is the drain at work; a report
        // an adapter packet cut in two would show as a mix of two, out of
        // the sweep's rising order.
        QVERIFY2(shown.size() > kShownReports, qPrintable(shown.join(u' ')));
        // The field starts at 0.
        double dLast = -1.0;
        for (const QString& strText : std::as_const(shown)) {
            if (strText.isEmpty())
                continue;
            const double dShown = strText.toDouble();
            QVERIFY2(dShown > dLast && dShown < 400.0, qPrintable(shown.join(u' ')));
            dLast = dShown;
        }
        QVERIFY(fixture.Messages().isEmpty());
    }
};

QTEST_MAIN(TestAdapterSession)
#include "test_adapter_session.moc"
