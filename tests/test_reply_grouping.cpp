// When received bytes make a receive event: the grouping on its own, on the
// system's serial port over a pseudo-terminal that the test writes by hand.

#include "serial/line_settings.h"
#include "serial/reply_grouping.h"
#include "serial/system_port.h"
#include "support/raw_pty.h"

#include <QTest>

namespace {

constexpr int kWaitMs = 5000;

} // namespace

class TestReplyGrouping : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<RawPty> m_pPty;
    std::unique_ptr<CSystemPort> m_pPort;
    std::unique_ptr<CReplyGrouping> m_pGrouping;
    QList<QByteArray> m_groups;

    // What an event's handler does: takes everything there is.
    void TakeGroup()
    {
        m_groups.append(m_pPort->Read(m_pPort->BytesAvailable()));
        m_pGrouping->AfterRead();
    }

    QByteArray AllTaken() const
    {
        QByteArray bytes;
        for (const QByteArray& group : m_groups)
            bytes += group;
        return bytes;
    }

private Q_SLOTS:
    void init()
    {
        m_groups.clear();
        m_pPty = std::make_unique<RawPty>();
        QVERIFY(m_pPty->IsOpen());
        m_pPort = std::make_unique<CSystemPort>();
        QVERIFY2(m_pPort->Open(m_pPty->SlavePath()), qPrintable(m_pPort->ErrorString()));
        QVERIFY(m_pPort->ApplyLine(LineSettings()));
        m_pGrouping = std::make_unique<CReplyGrouping>(*m_pPort);
        m_pGrouping->SetThreshold(1);
        connect(m_pGrouping.get(), &CReplyGrouping::GroupReady, this, [this] { TakeGroup(); });
    }

    void cleanup()
    {
        m_pGrouping.reset();
        m_pPort.reset();
        m_pPty.reset();
    }

    void idleGapIsThreeAndAHalfCharacters_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("gapMs");
        QTest::newRow("9600,n,8,1") << "9600,n,8,1" << 4;
        QTest::newRow("300,e,7,2") << "300,e,7,2" << 129;
        QTest::newRow("fast lines keep 2 ms") << "115200,n,8,1" << 2;
    }
    void idleGapIsThreeAndAHalfCharacters()
    {
        QFETCH(QString, settings);
        QFETCH(int, gapMs);
        const std::optional<LineSettings> line = ParseLineSettings(settings);
        QVERIFY(line);
        m_pGrouping->SetLine(*line);
        QCOMPARE(m_pGrouping->IdleGapMsecs(), gapMs);
    }

    void adapterLatencyWidensTheGap_data()
    {
        QTest::addColumn<int>("latencyMs");
        QTest::addColumn<int>("gapMs");
        QTest::newRow("no adapter") << 0 << 4;
        QTest::newRow("FTDI default") << 16 << 18;
        QTest::newRow("lowered to 1 ms: the line's gap holds") << 1 << 4;
    }
    void adapterLatencyWidensTheGap()
    {
        QFETCH(int, latencyMs);
        QFETCH(int, gapMs);
        m_pGrouping->SetLine(*ParseLineSettings(QStringLiteral("9600,n,8,1")));
        m_pGrouping->SetAdapterLatency(latencyMs);
        QCOMPARE(m_pGrouping->IdleGapMsecs(), gapMs);
        QCOMPARE(m_pGrouping->LineGapMsecs(), 4);
    }

    void replyHeldByAnAdapterIsOneGroup()
    {
        // Far beyond the line's 4 ms, with room for a slow machine either side.
        m_pGrouping->SetAdapterLatency(200);
        m_pPty->Write(QByteArray::fromHex("4F"));
        QTimer::singleShot(30, this, [this] { m_pPty->Write(QByteArray::fromHex("4B")); });
        QTRY_COMPARE_WITH_TIMEOUT(AllTaken().size(), 2, kWaitMs);
        QTest::qWait(50);
        QCOMPARE(m_groups, QList<QByteArray>{QByteArray::fromHex("4F4B")});
    }

    void bytesWithinTheGapAreOneGroup()
    {
        m_pPty->Write(QByteArray::fromHex("4F"));
        QTimer::singleShot(0, this, [this] { m_pPty->Write(QByteArray::fromHex("4B")); });
        QTRY_COMPARE_WITH_TIMEOUT(AllTaken().size(), 2, kWaitMs);
        QTest::qWait(50);
        QCOMPARE(m_groups, QList<QByteArray>{QByteArray::fromHex("4F4B")});
    }

    void aLongGapMakesTwoGroups()
    {
        m_pPty->Write(QByteArray::fromHex("4F"));
        QTRY_COMPARE_WITH_TIMEOUT(m_groups.size(), 1, kWaitMs);
        QTest::qWait(50);
        m_pPty->Write(QByteArray::fromHex("4B"));
        QTRY_COMPARE_WITH_TIMEOUT(m_groups.size(), 2, kWaitMs);
        QCOMPARE(m_groups, (QList<QByteArray>{QByteArray::fromHex("4F"), QByteArray::fromHex("4B")}));
    }

    void noThresholdRaisesNothing()
    {
        m_pGrouping->SetThreshold(0);
        m_pPty->Write(QByteArray::fromHex("4F4B"));
        QTRY_COMPARE_WITH_TIMEOUT(m_pPort->BytesAvailable(), 2, kWaitMs);
        QTest::qWait(50);
        QVERIFY(m_groups.isEmpty());
    }

    void aFullBufferIsDeliveredInGroupsOfItsSize()
    {
        constexpr int kBufferBytes = 16;
        m_pGrouping->SetBufferBytes(kBufferBytes);
        m_pPort->SetReadBufferSize(kBufferBytes);
        QByteArray burst(100, Qt::Uninitialized);
        for (int i = 0; i < burst.size(); ++i)
            burst[i] = static_cast<char>(i);
        m_pPty->Write(burst);
        QTRY_COMPARE_WITH_TIMEOUT(AllTaken().size(), burst.size(), kWaitMs);
        QCOMPARE(AllTaken(), burst);
        for (const QByteArray& group : std::as_const(m_groups))
            QVERIFY2(group.size() <= kBufferBytes, qPrintable(QString::number(group.size())));
    }
};

QTEST_MAIN(TestReplyGrouping)
#include "test_reply_grouping.moc"
