// The traffic log of a scripted window session on the virtual board over a
// real pseudo-terminal: every frame written, every reply, the end of every
// exchange and the port's events, read back as a reader of the file would.

#include "app/window_traffic_log.h"
#include "pages/ms_comm.h"
#include "serial/traffic_log.h"
#include "support/log_lines.h"
#include "support/scripted_answers.h"
#include "support/window_on_board.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonObject>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Long enough that the board never reports: the session's replies are its answers.
constexpr int kNoReportsMs = 3600 * 1000;
constexpr int kWaitMs = 10000;

// A frame or a verdict as the log names it.
struct Entry {
    QString strKind;
    int nRetry;
    QString strResult;

    bool operator==(const Entry& other) const
    {
        return strKind == other.strKind && nRetry == other.nRetry && strResult == other.strResult;
    }
};

QString Describe(const QList<Entry>& entries)
{
    QStringList texts;
    for (const Entry& entry : entries)
        texts.append(QStringLiteral("%1 %2 %3").arg(entry.strKind).arg(entry.nRetry).arg(entry.strResult).trimmed());
    return texts.join(QStringLiteral(", "));
}

QList<Entry> Entries(const QList<QJsonObject>& objects)
{
    QList<Entry> entries;
    for (const QJsonObject& object : objects) {
        entries.append({object.value(QStringLiteral("kind")).toString(), object.value(QStringLiteral("retry")).toInt(-1),
                        object.value(QStringLiteral("result")).toString()});
    }
    return entries;
}

QList<Entry> Frames(const QString& strKind, int nFirstRetry, int nLastRetry)
{
    QList<Entry> entries;
    for (int nRetry = nFirstRetry; nRetry <= nLastRetry; ++nRetry)
        entries.append({strKind, nRetry, QString()});
    return entries;
}

const QMap<QString, QPair<QString, QString>> kCodesOfKind{
    {QStringLiteral("point"), {QStringLiteral("01"), QString()}},
    {QStringLiteral("sweep"), {QStringLiteral("03"), QString()}},
    {QStringLiteral("close"), {QStringLiteral("40"), QStringLiteral("80")}},
    {QStringLiteral("pause"), {QStringLiteral("40"), QStringLiteral("83")}},
    {QStringLiteral("continue"), {QStringLiteral("40"), QStringLiteral("84")}},
};

} // namespace

class TestTrafficLog : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<WindowOnBoard> m_pFixture;
    std::unique_ptr<CScriptedAnswers> m_pAnswers;
    CTrafficLog m_log;

    QString LogPath() const { return m_dir.filePath(QStringLiteral("traffic.jsonl")); }
    WindowOnBoard& Fixture() { return *m_pFixture; }
    const Ui::CSinglePointPage& Single() { return m_pFixture->Window().SinglePointPage().Controls(); }
    const Ui::CSweepPage& Sweep() { return m_pFixture->Window().SweepPage().Controls(); }
    const Ui::CDriversControlDlg& Main() { return m_pFixture->Window().Controls(); }

    void StartWindow()
    {
        m_pFixture = std::make_unique<WindowOnBoard>();
        Fixture().Board().SetReportInterval(kNoReportsMs);
        m_pAnswers = std::make_unique<CScriptedAnswers>(Fixture().Board());
    }

    void AnswerNext(const QList<Answer>& answers) { m_pAnswers->AnswerNext(answers); }

    // Until the log holds this many verdicts and replies.
    void AwaitLog(int nVerdicts, int nReplies)
    {
        QTRY_VERIFY_WITH_TIMEOUT(ReadLogLines(LogPath()).Where("event", "verdict").size() >= nVerdicts, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(ReadLogLines(LogPath()).Where("dir", "rx").size() >= nReplies, kWaitMs);
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile::remove(LogPath());
    }

    void cleanup()
    {
        m_pAnswers.reset();
        m_pFixture.reset();
        g_msComm.SetTrafficLog(nullptr);
        m_log.Close();
        m_log.SetNotice({});
    }

    void sessionGivesEveryFrameReplyAndVerdict()
    {
        QString strError;
        QVERIFY2(m_log.Open(LogPath(), strError), qPrintable(strError));
        g_msComm.SetTrafficLog(&m_log);
        StartWindow();
        const QString strDevice = g_msComm.PortLocation();

        // Send to a silent board: seven frames, and the watch gives up.
        AnswerNext(Times(7, Answer::Silent));
        Single().btnSend->click();
        AwaitLog(1, 0);
        // Send refused every time.
        AnswerNext(Times(7, Answer::Refuse));
        Single().btnSend->click();
        AwaitLog(2, 7);
        // Refused once, then acknowledged.
        Single().editAmplitude->setText(QStringLiteral("1"));
        Single().editFrequency->setText(QStringLiteral("100"));
        AnswerNext({Answer::Refuse});
        Single().btnSend->click();
        AwaitLog(3, 9);
        // Scan, refused once; Pause; Continue; Close.
        Main().tabPages->setCurrentIndex(1);
        Sweep().editAmplitude->setText(QStringLiteral("1"));
        Sweep().editStartFreq->setText(QStringLiteral("100"));
        Sweep().editEndFreq->setText(QStringLiteral("300"));
        AnswerNext({Answer::Refuse});
        Sweep().btnScan->click();
        AwaitLog(4, 11);
        Sweep().btnPause->click();
        AwaitLog(5, 12);
        Sweep().btnPause->click();
        AwaitLog(6, 13);
        Main().btnClose->click();
        AwaitLog(7, 14);
        // A Scan the board leaves unanswered, stopped by the first tick of a
        // pause watch that waits too: no reply can reach the scan watch first.
        QTRY_VERIFY_WITH_TIMEOUT(Sweep().btnScan->isEnabled(), kWaitMs);
        AnswerNext({Answer::Silent});
        Sweep().btnScan->click();
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts().size(), 22, kWaitMs);
        AnswerNext({Answer::Silent});
        Sweep().btnPause->click();
        AwaitLog(8, 14);
        // The window closes while the pause watch still waits.
        const QStringList boardFrames = Fixture().FrameTexts();
        m_pAnswers.reset();
        m_pFixture.reset();
        m_log.Close();

        const LogLines log = ReadLogLines(LogPath());
        QVERIFY2(log.broken.isEmpty(), qPrintable(log.broken.join(u'\n')));
        QVERIFY(log.bEndsWhole);

        qint64 nLastT = 0;
        for (const QJsonObject& line : log.objects) {
            QVERIFY(line.value(QStringLiteral("t")).isDouble());
            const auto nT = static_cast<qint64>(line.value(QStringLiteral("t")).toDouble());
            QVERIFY(nT >= nLastT);
            nLastT = nT;
            const QString strTime = line.value(QStringLiteral("time")).toString();
            QVERIFY2(QDateTime::fromString(strTime, Qt::ISODateWithMs).isValid(), qPrintable(strTime));
            QVERIFY2(strTime.contains(u'.'), qPrintable(strTime));
        }

        const QList<QJsonObject> sent = log.Where("dir", "tx");
        QStringList sentHex;
        for (const QJsonObject& line : sent) {
            sentHex.append(line.value(QStringLiteral("hex")).toString());
            const QPair<QString, QString> codes = kCodesOfKind.value(line.value(QStringLiteral("kind")).toString());
            QCOMPARE(line.value(QStringLiteral("cmd")).toString(), codes.first);
            QCOMPARE(line.value(QStringLiteral("code")).toString(), codes.second);
            QCOMPARE(line.value(QStringLiteral("retry")).toInt(), sentHex.last().mid(8, 2).toInt(nullptr, 16));
        }
        QCOMPARE(sentHex, boardFrames);
        const QList<Entry> expectedFrames = Frames("point", 0, 6) + Frames("point", 0, 6) + Frames("point", 0, 1)
            + Frames("sweep", 0, 1) + Frames("pause", 0, 0) + Frames("continue", 0, 0) + Frames("close", 0, 0)
            + Frames("sweep", 0, 0) + Frames("pause", 0, 0);
        QVERIFY2(Entries(sent) == expectedFrames, qPrintable(Describe(Entries(sent))));

        QStringList replies;
        for (const QJsonObject& line : log.Where("dir", "rx"))
            replies.append(line.value(QStringLiteral("hex")).toString());
        const QString strOk = QStringLiteral("4F4B");
        const QString strRefused = QStringLiteral("4552");
        QCOMPARE(replies, QStringList(7, strRefused) + QStringList({strRefused, strOk, strRefused, strOk, strOk, strOk, strOk}));

        const QList<Entry> expectedVerdicts = {
            {"point", 6, "gave_up"}, {"point", 6, "refused"}, {"point", 1, "ack"},
            {"sweep", 1, "ack"},     {"pause", 0, "ack"},     {"continue", 0, "ack"},
            {"close", 0, "ack"},     {"sweep", 0, "stopped"}, {"pause", 0, "stopped"},
        };
        const QList<QJsonObject> verdicts = log.Where("event", "verdict");
        QVERIFY2(Entries(verdicts) == expectedVerdicts, qPrintable(Describe(Entries(verdicts))));
        for (const QJsonObject& verdict : verdicts) {
            const QString strFrame = verdict.value(QStringLiteral("frame")).toString();
            QVERIFY(sentHex.contains(strFrame));
            QCOMPARE(verdict.value(QStringLiteral("retry")).toInt(), strFrame.mid(8, 2).toInt(nullptr, 16));
        }

        const QList<QJsonObject> port = log.Where("event", "port");
        QCOMPARE(port.size(), 2);
        QCOMPARE(port.first().value(QStringLiteral("state")).toString(), QStringLiteral("opened"));
        QCOMPARE(port.last().value(QStringLiteral("state")).toString(), QStringLiteral("closed"));
        for (const QJsonObject& line : port)
            QCOMPARE(line.value(QStringLiteral("device")).toString(), strDevice);
        QCOMPARE(log.objects.first(), port.first());
    }

    void unopenableLogIsToldOnceAndTheWindowRuns_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing directory") << m_dir.filePath(QStringLiteral("missing/traffic.jsonl"));
        QTest::newRow("a directory") << m_dir.path();
    }
    void unopenableLogIsToldOnceAndTheWindowRuns()
    {
        QFETCH(QString, path);
        StartWindow();
        StartWindowTrafficLog(m_log, path);
        QCOMPARE(Fixture().Messages().size(), 1);
        QVERIFY2(Fixture().Messages().first().startsWith(QStringLiteral("Cannot open the traffic log %1").arg(path)),
                 qPrintable(Fixture().Messages().first()));
        QVERIFY(Fixture().Messages().first().endsWith(QStringLiteral("The window runs without a log.")));
        QVERIFY(!m_log.IsOn());
        Single().btnSend->click();
        QTRY_COMPARE_WITH_TIMEOUT(Fixture().FrameTexts().size(), 1, kWaitMs);
        QCOMPARE(Fixture().Messages().size(), 1);
    }

    // Lines wait for the end of the turn that gathered them, then go out together.
    void linesOfOneTurnGoOutAtItsEnd()
    {
        QString strError;
        QVERIFY2(m_log.Open(LogPath(), strError), qPrintable(strError));
        g_msComm.SetTrafficLog(&m_log);
        for (int i = 0; i < 3; ++i)
            m_log.Received(QByteArray::fromHex("19999999"));
        QCOMPARE(QFileInfo(LogPath()).size(), 0);
        QEventLoop turn;
        QTimer::singleShot(10, &turn, &QEventLoop::quit);
        turn.exec();
        const LogLines log = ReadLogLines(LogPath());
        QVERIFY(log.bEndsWhole);
        QCOMPARE(log.Where("dir", "rx").size(), 3);
        m_log.Close();
    }

    void vanishedBoardGivesPortEventAndFailedSend()
    {
        QString strError;
        QVERIFY2(m_log.Open(LogPath(), strError), qPrintable(strError));
        g_msComm.SetTrafficLog(&m_log);
        StartWindow();
        Fixture().Board().Vanish();
        QTRY_VERIFY_WITH_TIMEOUT(!g_msComm.GetPortOpen(), kWaitMs);
        Single().btnSend->click();
        QTRY_COMPARE_WITH_TIMEOUT(ReadLogLines(LogPath()).Where("event", "verdict").size(), 1, kWaitMs);

        const LogLines log = ReadLogLines(LogPath());
        const QList<QJsonObject> port = log.Where("event", "port");
        QCOMPARE(port.size(), 2);
        QCOMPARE(port.last().value(QStringLiteral("state")).toString(), QStringLiteral("vanished"));
        QVERIFY(!port.last().value(QStringLiteral("error")).toString().isEmpty());
        QVERIFY(log.Where("dir", "tx").isEmpty());
        const QJsonObject verdict = log.Where("event", "verdict").first();
        QCOMPARE(verdict.value(QStringLiteral("kind")).toString(), QStringLiteral("point"));
        QCOMPARE(verdict.value(QStringLiteral("result")).toString(), QStringLiteral("send_failed"));
        QCOMPARE(verdict.value(QStringLiteral("error")).toString(), port.last().value(QStringLiteral("error")).toString());
    }
};

QTEST_MAIN(TestTrafficLog)
#include "test_traffic_log.moc"
