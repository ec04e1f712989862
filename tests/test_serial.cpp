#include "serial/board_line.h"
#include "serial/comm_error.h"
#include "serial/line_settings.h"
#include "serial/ms_comm.h"
#include "serial/port_table.h"
#include "support/raw_pty.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <thread>

namespace {

struct ReceivedEvent {
    short nEvent;
    QByteArray input;
};

QByteArray StreamBytes(int nBytes)
{
    QByteArray stream(nBytes, Qt::Uninitialized);
    for (int i = 0; i < nBytes; ++i)
        stream[i] = static_cast<char>(i);
    return stream;
}

QString ThrownText(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const CommError& error) {
        return QString::fromStdString(error.what());
    }
    return QString();
}

} // namespace

class TestSerial : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<RawPty> m_pPty;
    QList<ReceivedEvent> m_events;

    void OpenOnPty()
    {
        m_pPty = std::make_unique<RawPty>();
        QVERIFY(m_pPty->IsOpen());
        ClearPreferredPorts();
        AddPreferredPort(m_pPty->SlavePath(), QStringLiteral("test line"));
        g_msComm.Attach();
        const QString strRefusal = ThrownText([] { SetUpBoardLine(g_msComm); });
        QVERIFY2(strRefusal.isEmpty(), qPrintable(strRefusal));
    }

    // A byte every half millisecond, from a thread of its own: never the
    // quiet that ends a reply, and far short of a full buffer.
    void WriteSlowly(const QByteArray& stream)
    {
        for (const char byte : stream) {
            m_pPty->Write(QByteArray(1, byte));
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    }

    QByteArray ReceivedBytes() const
    {
        QByteArray bytes;
        for (const ReceivedEvent& event : m_events)
            bytes += event.input;
        return bytes;
    }

private Q_SLOTS:
    void initTestCase()
    {
        connect(&g_msComm, &CMSComm::OnComm, this, [this] {
            const short nEvent = g_msComm.GetCommEvent();
            m_events.append({nEvent, nEvent == CMSComm::kEventReceive ? g_msComm.GetInput() : QByteArray()});
        });
    }

    void init()
    {
        m_events.clear();
        OpenOnPty();
    }

    void cleanup()
    {
        g_msComm.Detach();
        m_pPty.reset();
        ClearPreferredPorts();
    }

    void opensWithTheLineSettings()
    {
        QVERIFY(g_msComm.GetPortOpen());
        QCOMPARE(g_msComm.PortLocation(), m_pPty->SlavePath());
        QCOMPARE(m_pPty->OutputBaud(), 9600);
    }

    void writesAndReadsEveryByteValue()
    {
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            all[i] = static_cast<char>(i);

        g_msComm.SetOutput(all);
        QByteArray written;
        QTRY_VERIFY_WITH_TIMEOUT((written += m_pPty->ReadAvailable()).size() >= 256, 5000);
        QCOMPARE(written, all);

        m_pPty->Write(all);
        QTRY_COMPARE_WITH_TIMEOUT(ReceivedBytes().size(), 256, 5000);
        QCOMPARE(ReceivedBytes(), all);
        QCOMPARE(m_events.size(), 1);
        QCOMPARE(m_events.first().nEvent, CMSComm::kEventReceive);
    }

    void oneReadNeverExceedsTheInputBuffer()
    {
        QByteArray burst(3000, Qt::Uninitialized);
        for (int i = 0; i < burst.size(); ++i)
            burst[i] = static_cast<char>(i * 7);
        m_pPty->Write(burst);
        QTRY_COMPARE_WITH_TIMEOUT(ReceivedBytes().size(), burst.size(), 10000);
        QCOMPARE(ReceivedBytes(), burst);
        for (const ReceivedEvent& event : std::as_const(m_events))
            QVERIFY2(event.input.size() <= 1024, qPrintable(QString::number(event.input.size())));
        QVERIFY(m_events.size() >= 3);
    }

    void replyWrittenByteByByteIsOneEvent()
    {
        const QByteArray reply = QByteArray::fromHex("4F4B");
        m_pPty->Write(reply.left(1));
        QTimer::singleShot(0, this, [this, reply] { m_pPty->Write(reply.mid(1)); });
        QTRY_COMPARE_WITH_TIMEOUT(ReceivedBytes().size(), 2, 5000);
        QTest::qWait(50);
        QCOMPARE(m_events.size(), 1);
        QCOMPARE(m_events.first().input, reply);
    }

    void replySplitByALongGapIsTwoEvents()
    {
        m_pPty->Write(QByteArray::fromHex("4F"));
        QTRY_COMPARE_WITH_TIMEOUT(m_events.size(), 1, 5000);
        QTest::qWait(50);
        m_pPty->Write(QByteArray::fromHex("4B"));
        QTRY_COMPARE_WITH_TIMEOUT(m_events.size(), 2, 5000);
        QCOMPARE(m_events[0].input, QByteArray::fromHex("4F"));
        QCOMPARE(m_events[1].input, QByteArray::fromHex("4B"));
    }

    void lineThatNeverFallsQuietStillRaisesEvents()
    {
        const QByteArray stream = StreamBytes(300);
        std::thread writer([this, &stream] { WriteSlowly(stream); });
        // A failed check returns early; the writer must still be joined.
        const auto joinWriter = qScopeGuard([&writer] { writer.join(); });
        QTRY_COMPARE_WITH_TIMEOUT(ReceivedBytes().size(), stream.size(), 10000);
        QCOMPARE(ReceivedBytes(), stream);
        QVERIFY2(m_events.size() >= 3, qPrintable(QString::number(m_events.size())));

        // Once the line has fallen quiet, a lone reply is one event again.
        QTest::qWait(100);
        m_events.clear();
        m_pPty->Write(QByteArray::fromHex("4F4B"));
        QTRY_COMPARE_WITH_TIMEOUT(m_events.size(), 1, 5000);
        QTest::qWait(50);
        QCOMPARE(m_events.size(), 1);
        QCOMPARE(m_events.first().input, QByteArray::fromHex("4F4B"));
    }

    void deviceVanishingMidStreamIsOneDisconnect()
    {
        const QByteArray stream = StreamBytes(300);
        std::thread writer([this, &stream] {
            WriteSlowly(stream);
            m_pPty->Close();
        });
        const auto joinWriter = qScopeGuard([&writer] { writer.join(); });
        QTRY_VERIFY_WITH_TIMEOUT(!g_msComm.GetPortOpen(), 10000);
        QTest::qWait(300);
        QCOMPARE(m_events.last().nEvent, CMSComm::kEventDisconnected);
        for (qsizetype i = 0; i + 1 < m_events.size(); ++i)
            QCOMPARE(m_events[i].nEvent, CMSComm::kEventReceive);
        QVERIFY(m_events.size() >= 3);
        QVERIFY(stream.startsWith(ReceivedBytes()));
    }

    void vanishedDeviceIsOneDisconnect()
    {
        m_pPty->Close();
        QTRY_VERIFY_WITH_TIMEOUT(!g_msComm.GetPortOpen(), 5000);
        QTest::qWait(300);
        QCOMPARE(m_events.size(), 1);
        QCOMPARE(m_events.first().nEvent, CMSComm::kEventDisconnected);
        QVERIFY(g_msComm.LastEventText().contains(g_msComm.PortLocation()));
        QVERIFY(g_msComm.LastEventText().contains("went away"));
    }

    void writingOnAClosedPortThrows()
    {
        g_msComm.SetPortOpen(false);
        const QString strText = ThrownText([] { g_msComm.SetOutput(QByteArray::fromHex("A55A")); });
        QVERIFY(strText.contains(m_pPty->SlavePath()));
        QVERIFY(strText.contains("not open"));
        QVERIFY(m_pPty->ReadAvailable().isEmpty());
    }

    void reopensAfterClose()
    {
        g_msComm.SetPortOpen(false);
        QVERIFY(!g_msComm.GetPortOpen());
        g_msComm.SetPortOpen(true);
        QVERIFY(g_msComm.GetPortOpen());
        m_pPty->Write(QByteArray::fromHex("4F4B"));
        QTRY_COMPARE_WITH_TIMEOUT(ReceivedBytes(), QByteArray::fromHex("4F4B"), 5000);
    }

    void refusedOperationsExplainThemselves_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("needle");
        QTest::newRow("malformed settings") << 0 << "9600,n,8,1";
        QTest::newRow("port change while open") << 1 << "close it first";
        QTest::newRow("port beyond the table") << 2 << "serial device";
        QTest::newRow("missing device") << 3 << "does not exist";
        QTest::newRow("input mode") << 4 << "binary";
        QTest::newRow("oversized write") << 5 << "output buffer";
    }
    void refusedOperationsExplainThemselves()
    {
        QFETCH(int, operation);
        QFETCH(QString, needle);
        const QString strText = ThrownText([operation] {
            switch (operation) {
            case 0:
                g_msComm.SetSettings(QStringLiteral("9600;n;8;1"));
                break;
            case 1:
                g_msComm.SetCommPort(2);
                break;
            case 2:
                g_msComm.SetPortOpen(false);
                g_msComm.SetCommPort(500);
                g_msComm.SetPortOpen(true);
                break;
            case 3:
                g_msComm.SetPortOpen(false);
                // Named per process: two runs at once would contend for one lock file.
                AddPreferredPort(QStringLiteral("/dev/vevevar-no-such-device-%1").arg(QCoreApplication::applicationPid()),
                                 QString());
                g_msComm.SetCommPort(2);
                g_msComm.SetPortOpen(true);
                break;
            case 4:
                g_msComm.SetInputMode(2);
                break;
            case 5:
                g_msComm.SetOutput(QByteArray(513, 'x'));
                break;
            }
        });
        QVERIFY2(strText.contains(needle), qPrintable(strText));
    }

    void unattachedLinkRefuses()
    {
        g_msComm.Detach();
        QVERIFY(ThrownText([] { g_msComm.SetPortOpen(true); }).contains("not attached"));
        QVERIFY(!g_msComm.GetPortOpen());
    }
};

class TestSerialPure : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lineSettings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("baud");
        QTest::addColumn<double>("bits");
        QTest::newRow("standard") << "9600,n,8,1" << true << 9600 << 10.0;
        QTest::newRow("upper case and blanks") << " 19200, E ,7,2 " << true << 19200 << 11.0;
        QTest::newRow("one and a half stop bits") << "9600,o,5,1.5" << true << 9600 << 8.5;
        QTest::newRow("three fields") << "9600,n,8" << false << 0 << 0.0;
        QTest::newRow("zero baud") << "0,n,8,1" << false << 0 << 0.0;
        QTest::newRow("unknown parity") << "9600,x,8,1" << false << 0 << 0.0;
        QTest::newRow("nine data bits") << "9600,n,9,1" << false << 0 << 0.0;
        QTest::newRow("three stop bits") << "9600,n,8,3" << false << 0 << 0.0;
        QTest::newRow("empty") << "" << false << 0 << 0.0;
    }
    void lineSettings()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, baud);
        QFETCH(double, bits);
        const std::optional<LineSettings> settings = ParseLineSettings(text);
        QCOMPARE(settings.has_value(), valid);
        if (settings) {
            QCOMPARE(settings->nBaudRate, baud);
            QCOMPARE(settings->BitsPerCharacter(), bits);
        }
    }

    void naturalPortOrder_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<bool>("less");
        QTest::newRow("2 before 10") << "ttyS2" << "ttyS10" << true;
        QTest::newRow("10 after 2") << "ttyS10" << "ttyS2" << false;
        QTest::newRow("ACM before S") << "ttyACM0" << "ttyS0" << true;
        QTest::newRow("S before USB") << "ttyS9" << "ttyUSB0" << true;
        QTest::newRow("leading zeros equal value") << "tty01" << "tty1" << false;
        QTest::newRow("prefix first") << "ttyUSB" << "ttyUSB0" << true;
        QTest::newRow("equal") << "ttyUSB0" << "ttyUSB0" << false;
    }
    void naturalPortOrder()
    {
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(bool, less);
        QCOMPARE(NaturalPortOrder(left, right), less);
    }

    void preferredPortsComeFirst()
    {
        ClearPreferredPorts();
        AddPreferredPort(QStringLiteral("/dev/pts/77"), QStringLiteral("virtual board"));
        AddPreferredPort(QStringLiteral("/dev/ttyVEVEVAR"), QStringLiteral("command line"));
        const QList<PortEntry> table = ReadPortTable();
        QVERIFY(table.size() >= 2);
        QCOMPARE(table[0].strLocation, QStringLiteral("/dev/pts/77"));
        QCOMPARE(table[0].strDescription, QStringLiteral("virtual board"));
        QCOMPARE(table[1].strLocation, QStringLiteral("/dev/ttyVEVEVAR"));
        ClearPreferredPorts();
    }
};

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    TestSerialPure pure;
    TestSerial serial;
    return QTest::qExec(&pure, argc, argv) | QTest::qExec(&serial, argc, argv);
}

#include "test_serial.moc"
