// The traffic log on a full disk: a small tmpfs of this process's own, filled
// until the log's next write comes back short. The file must end on a whole
// line, the operator be told once, and the window go on.

#include "app/window_traffic_log.h"
#include "serial/traffic_log.h"
#include "support/log_lines.h"
#include "support/window_on_board.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 10000;
// Beyond this many exchanges a page of the disk would have filled long since.
constexpr int kMostExchanges = 40;

struct SmallDisk {
    QString strPath;
    QString strWhyNot;
};

QString Failed(const char* pszWhat)
{
    return QStringLiteral("%1 failed: %2").arg(QLatin1String(pszWhat), QString::fromLocal8Bit(std::strerror(errno)));
}

bool WriteProcFile(const char* pszPath, const QByteArray& content)
{
    const int fd = ::open(pszPath, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool bWritten = ::write(fd, content.constData(), content.size()) == content.size();
    ::close(fd);
    return bWritten;
}

// Must run before any thread starts: a process with threads cannot leave its
// mount namespace. Without root, a user namespace grants the mount.
SmallDisk MountSmallDisk()
{
    QByteArray dirTemplate = QDir::tempPath().toLocal8Bit() + "/vevevar-full-disk-XXXXXX";
    if (!::mkdtemp(dirTemplate.data()))
        return {QString(), Failed("mkdtemp")};
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(CLONE_NEWNS | (uid == 0 ? 0 : CLONE_NEWUSER)) != 0)
        return {QString(), Failed(uid == 0 ? "unshare of the mount namespace" : "unshare of a user namespace")};
    if (uid != 0) {
        const bool bMapped = WriteProcFile("/proc/self/setgroups", "deny")
            && WriteProcFile("/proc/self/uid_map", QByteArray("0 ") + QByteArray::number(uid) + " 1")
            && WriteProcFile("/proc/self/gid_map", QByteArray("0 ") + QByteArray::number(gid) + " 1");
        if (!bMapped)
            return {QString(), Failed("mapping the user namespace")};
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return {QString(), Failed("making the mounts private")};
    if (::mount("tmpfs", dirTemplate.constData(), "tmpfs", 0, "size=64k") != 0)
        return {QString(), Failed("mounting a tmpfs")};
    return {QString::fromLocal8Bit(dirTemplate), QString()};
}

void UnmountSmallDisk(const SmallDisk& disk)
{
    if (disk.strPath.isEmpty())
        return;
    const QByteArray path = disk.strPath.toLocal8Bit();
    ::umount2(path.constData(), MNT_DETACH);
    ::rmdir(path.constData());
}

// Takes every free byte of the disk.
void FillDisk(const QString& strPath)
{
    QFile filler(strPath);
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray block(512, 'x');
    while (filler.write(block) == block.size()) {
    }
    for (const QByteArray byte(1, 'x'); filler.write(byte) == 1;) {
    }
}

} // namespace

class TestTrafficLogFullDisk : public QObject {
    Q_OBJECT

public:
    explicit TestTrafficLogFullDisk(SmallDisk disk)
        : m_disk(std::move(disk))
    {
    }

private:
    SmallDisk m_disk;

private Q_SLOTS:
    void shortWriteEndsTheLogOnAWholeLine()
    {
        if (m_disk.strPath.isEmpty())
            QSKIP(qPrintable(QStringLiteral("no small disk of its own for this test: %1").arg(m_disk.strWhyNot)));
        const QString strLog = m_disk.strPath + QStringLiteral("/traffic.jsonl");
        const QString strFiller = m_disk.strPath + QStringLiteral("/filler");
        CTrafficLog trafficLog;
        StartWindowTrafficLog(trafficLog, strLog);
        QVERIFY(trafficLog.IsOn());
        WindowOnBoard fixture;
        QPushButton* pSend = fixture.Window().SinglePointPage().Controls().btnSend;
        const auto exchange = [&fixture, pSend, &strLog, &trafficLog](int nExchange) {
            pSend->click();
            QTRY_COMPARE_WITH_TIMEOUT(fixture.FrameTexts().size(), nExchange, kWaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(!trafficLog.IsOn()
                                         || ReadLogLines(strLog).Where("event", "verdict").size() == nExchange,
                                     kWaitMs);
        };

        // Some lines first, so that the write that fails is a short one:
        // the disk takes what fits in the log's last page and no more.
        exchange(1);
        FillDisk(strFiller);
        int nExchanges = 1;
        while (trafficLog.IsOn() && nExchanges < kMostExchanges)
            exchange(++nExchanges);
        QVERIFY2(!trafficLog.IsOn(), "the log never met a full disk");
        qInfo("a write of exchange %d came back short", nExchanges);

        const LogLines log = ReadLogLines(strLog);
        QVERIFY(log.bEndsWhole);
        QVERIFY2(log.broken.isEmpty(), qPrintable(log.broken.join(u'\n')));
        QCOMPARE(log.Where("event", "verdict").size(), nExchanges - 1);
        QCOMPARE(log.objects.first().value(QStringLiteral("state")).toString(), QStringLiteral("opened"));
        QTRY_COMPARE_WITH_TIMEOUT(fixture.Messages().size(), 1, kWaitMs);
        QVERIFY2(fixture.Messages().first().contains(QStringLiteral("could not be written")),
                 qPrintable(fixture.Messages().first()));
        qInfo("told: %s", qPrintable(fixture.Messages().first()));

        // The window goes on without its log, and the log stays as it was.
        const qint64 nLogBytes = QFileInfo(strLog).size();
        QFile::remove(strFiller);
        pSend->click();
        QTRY_COMPARE_WITH_TIMEOUT(fixture.FrameTexts().size(), nExchanges + 1, kWaitMs);
        QTest::qWait(500);
        QCOMPARE(QFileInfo(strLog).size(), nLogBytes);
        QCOMPARE(fixture.Messages().size(), 1);
        StopWindowTrafficLog(trafficLog);
    }
};

int main(int argc, char* argv[])
{
    const SmallDisk disk = MountSmallDisk();
    int nResult = 0;
    {
        QApplication app(argc, argv);
        TestTrafficLogFullDisk test(disk);
        nResult = QTest::qExec(&test, argc, argv);
    }
    UnmountSmallDisk(disk);
    return nResult;
}

#include "test_traffic_log_full_disk.moc"
