// The latency a USB-serial adapter may hold bytes for: read from a fake
// sysfs tree, and none for a port that is no USB device.

#include "serial/adapter_latency.h"
#include "support/raw_pty.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestAdapterLatency : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void publishedLatency_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("latencyMs");
        QTest::newRow("FTDI default") << QByteArray("16\n") << 16;
        QTest::newRow("lowered") << QByteArray("1\n") << 1;
        QTest::newRow("no number") << QByteArray("fast\n") << -1;
        QTest::newRow("empty") << QByteArray() << -1;
        QTest::newRow("negative") << QByteArray("-3\n") << -1;
    }
    void publishedLatency()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, latencyMs);
        QTemporaryDir sysfs;
        const QString strDevice = sysfs.filePath(QStringLiteral("bus/usb-serial/devices/ttyUSB3"));
        QVERIFY(QDir().mkpath(strDevice));
        QFile file(strDevice + QStringLiteral("/latency_timer"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        const std::optional<int> published = PublishedLatencyMsecs(QStringLiteral("ttyUSB3"), sysfs.path());
        QCOMPARE(published.value_or(-1), latencyMs);
    }

    void deviceWithoutTheFileHasNone()
    {
        QTemporaryDir sysfs;
        QVERIFY(QDir().mkpath(sysfs.filePath(QStringLiteral("bus/usb-serial/devices/ttyUSB0"))));
        QVERIFY(!PublishedLatencyMsecs(QStringLiteral("ttyUSB0"), sysfs.path()));
        QVERIFY(!PublishedLatencyMsecs(QStringLiteral("ttyUSB1"), sysfs.path()));
    }

    // The system reports no vendor for a pseudo-terminal, directly or
    // through a link to it: no adapter holds its bytes.
    void pseudoTerminalIsNoAdapter()
    {
        RawPty pty;
        QVERIFY(pty.IsOpen());
        QTemporaryDir links;
        const QString strLink = links.filePath(QStringLiteral("usb-Vevevar_Board_0001-if00-port0"));
        QVERIFY(QFile::link(pty.SlavePath(), strLink));
        QCOMPARE(AdapterLatencyMsecs(pty.SlavePath()), 0);
        QCOMPARE(AdapterLatencyMsecs(strLink), 0);
    }
};

QTEST_MAIN(TestAdapterLatency)
#include "test_adapter_latency.moc"
