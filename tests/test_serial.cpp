#include "serial/board_line.h"
#include "serial/comm_error.h"
#include "serial/line_settings.h"
#include "serial/port_table.h"
#include "serial/serial_link.h"
#include "support/raw_pty.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <thread>

namespace {

// A receive event with its bytes, or a port failure with its text.
struct ReceivedEvent {
    bool bFailure;
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
    std::unique_ptr<CSerialLink> m_pLink;

    void OpenOnPty()
    {
        m_pPty = std::make_unique<RawPty>();
        QVERIFY(m_pPty->IsOpen());
        m_pLink = std::make_unique<CSerialLink>();
        connect(m_pLink.get(), &CSerialLink::replyReceived, this,
                [this](const QByteArray& bytes) { m_events.append({false, bytes}); });
        connect(m_pLink.get(), &CSerialLink::portFailed, this,
                [this](const QString& strWhy) { m_events.append({true, strWhy.toUtf8()}); });
        m_pLink->Ports().AddPreferred(m_pPty->SlavePath(), QStringLiteral("test line"));
        m_pLink->Attach();
        const QString strRefusal = ThrownText([this] { SetUpBoardLine(*m_pLink); });
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
        for (const ReceivedEvent& event : m_events) {
            if (!event.bFailure)
                bytes += event.input;
        }
        return bytes;
    }

private Q_SLOTS:
    void init()
    {
        m_events.clear();
        OpenOnPty();
    }

    void cleanup()
    {
        m_pLink.reset();
        m_pPty.reset();
    }

    void opensWithTheLineSettings()
    {
        QVERIFY(m_pLink->GetPortOpen());
        QCOMPARE(m_pLink->PortLocation(), m_pPty->SlavePath());
        QCOMPARE(m_pPty->OutputBaud(), 9600);
    }

    void writesAndReadsEveryByteValue()
    {
        QByteArray all(256, Qt::Uninitialized);
        for (int i = 0; i < 256; ++i)
            all[i] = static_cast<char>(i);

        m_pLink->SetOutput(all);
        QByteArray written;
        QTRY_VERIFY_WITH_TIMEOUT((written += m_pPty->ReadAvailable()).size() >= 256, 5000);
        QCOMPARE(written, all);

        m_pPty->Write(all);
        QTRY_COMPARE_WITH_TIMEOUT(ReceivedBytes().size(), 256, 5000);
        QCOMPARE(ReceivedBytes(), all);
        QCOMPARE(m_events.size(), 1);
        QVERIFY(!m_events.first().bFailure);
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
        QTRY_VERIFY_WITH_TIMEOUT(!m_pLink->GetPortOpen(), 10000);
        QTest::qWait(300);
        QVERIFY(m_events.last().bFailure);
        for (qsizetype i = 0; i + 1 < m_events.size(); ++i)
            QVERIFY(!m_events[i].bFailure);
        QVERIFY(m_events.size() >= 3);
        QVERIFY(stream.startsWith(ReceivedBytes()));
    }

    void vanishedDeviceIsOneDisconnect()
    {
        m_pPty->Close();
        QTRY_VERIFY_WITH_TIMEOUT(!m_pLink->GetPortOpen(), 5000);
        QTest::qWait(300);
        QCOMPARE(m_events.size(), 1);
        QVERIFY(m_events.first().bFailure);
        const QString strWhy = QString::fromUtf8(m_events.first().input);
        QVERIFY(strWhy.contains(m_pLink->PortLocation()));
        QVERIFY(strWhy.contains("went away"));
    }

    void writingOnAClosedPortThrows()
    {
        m_pLink->SetPortOpen(false);
        const QString strText = ThrownText([this] { m_pLink->SetOutput(QByteArray::fromHex("A55A")); });
        QVERIFY(strText.contains(m_pPty->SlavePath()));
        QVERIFY(strText.contains("not open"));
        QVERIFY(m_pPty->ReadAvailable().isEmpty());
    }

    void reopensAfterClose()
    {
        m_pLink->SetPortOpen(false);
        QVERIFY(!m_pLink->GetPortOpen());
        m_pLink->SetPortOpen(true);
        QVERIFY(m_pLink->GetPortOpen());
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
        const QString strText = ThrownText([this, operation] {
            switch (operation) {
            case 0:
                m_pLink->SetSettings(QStringLiteral("9600;n;8;1"));
                break;
            case 1:
                m_pLink->SetCommPort(2);
                break;
            case 2:
                m_pLink->SetPortOpen(false);
                m_pLink->SetCommPort(500);
                m_pLink->SetPortOpen(true);
                break;
            case 3:
                m_pLink->SetPortOpen(false);
                // Named per process: two runs at once would contend for one lock file.
                m_pLink->Ports().AddPreferred(QStringLiteral("/dev/vevevar-no-such-device-%1").arg(QCoreApplication::applicationPid()),
                                 QString());
                m_pLink->SetCommPort(2);
                m_pLink->SetPortOpen(true);
                break;
            case 4:
                m_pLink->SetInputMode(2);
                break;
            case 5:
                m_pLink->SetOutput(QByteArray(513, 'x'));
                break;
            }
        });
        QVERIFY2(strText.contains(needle), qPrintable(strText));
    }

    void unattachedLinkRefuses()
    {
        m_pLink->Detach();
        QVERIFY(ThrownText([this] { m_pLink->SetPortOpen(true); }).contains("not attached"));
        QVERIFY(!m_pLink->GetPortOpen());
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
        QTest::newRow("COM2 before COM10") << "COM2" << "COM10" << true;
        QTest::newRow("COM10 after COM9") << "COM10" << "COM9" << false;
    }
    void naturalPortOrder()
    {
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(bool, less);
        QCOMPARE(NaturalPortOrder(left, right), less);
    }

    void portIdentityFollowsTheAdapter_data()
    {
        QTest::addColumn<QString>("byIdPath");
        QTest::addColumn<QString>("usbIdentity");
        QTest::addColumn<QString>("identity");
        QTest::newRow("Linux: the by-id link") << "/dev/serial/by-id/usb-FTDI_X-if00-port0"
                                               << "usb:0403:6001:A10K" << "/dev/serial/by-id/usb-FTDI_X-if00-port0";
        QTest::newRow("Windows: vendor, product, serial number") << "" << "usb:0403:6001:A10K" << "usb:0403:6001:A10K";
        QTest::newRow("no serial number: the name") << "" << "" << "COM7";
    }
    void portIdentityFollowsTheAdapter()
    {
        QFETCH(QString, byIdPath);
        QFETCH(QString, usbIdentity);
        QFETCH(QString, identity);
        const PortEntry entry{QStringLiteral("COM7"), QStringLiteral("COM7"), QString(), byIdPath, usbIdentity};
        QCOMPARE(PortIdentity(entry), identity);
        // Found again by it, whatever name the port has now, or by its name.
        PortEntry renamed = entry;
        renamed.strName = renamed.strLocation = QStringLiteral("COM12");
        QCOMPARE(FindPort({renamed}, identity), usbIdentity.isEmpty() && byIdPath.isEmpty() ? -1 : 0);
        QCOMPARE(FindPort({entry}, QStringLiteral("COM7")), 0);
    }

    void preferredPortsComeFirst()
    {
        CPortTable ports;
        ports.AddPreferred(QStringLiteral("/dev/pts/77"), QStringLiteral("virtual board"));
        ports.AddPreferred(QStringLiteral("/dev/ttyVEVEVAR"), QStringLiteral("command line"));
        const QList<PortEntry> table = ports.Read();
        QVERIFY(table.size() >= 2);
        QCOMPARE(table[0].strLocation, QStringLiteral("/dev/pts/77"));
        QCOMPARE(table[0].strDescription, QStringLiteral("virtual board"));
        QCOMPARE(table[1].strLocation, QStringLiteral("/dev/ttyVEVEVAR"));
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
