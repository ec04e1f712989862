// A scripted session on the real window and the virtual board. Every frame
// the board receives is compared with the committed list in
// golden/wire_session.txt, step by step.

#include "pages/ms_comm.h"
#include "support/scripted_answers.h"
#include "support/window_on_board.h"

#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <functional>

namespace {

// Long enough that the board never reports: reports would read as refusals.
constexpr int kNoReportsMs = 3600 * 1000;
constexpr int kWaitMs = 10000;
// Longer than any watch's period, so a frame that should not come would.
constexpr int kSettleMs = 500;

struct GoldenStep {
    QString strName;
    QStringList frames;
};

// "# name" starts a step; each further line is one frame in hex.
QList<GoldenStep> ReadGolden(const QString& strPath)
{
    QFile file(strPath);
    QList<GoldenStep> steps;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return steps;
    while (!file.atEnd()) {
        const QString strLine = QString::fromUtf8(file.readLine()).trimmed();
        if (strLine.startsWith(u'#'))
            steps.append({strLine.mid(1).trimmed(), {}});
        else if (!strLine.isEmpty() && !steps.isEmpty())
            steps.last().frames.append(strLine);
    }
    return steps;
}

} // namespace

class TestWireSession : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowOnBoard> m_pFixture;
    std::unique_ptr<CScriptedAnswers> m_pAnswers;

    WindowOnBoard& Fixture() { return *m_pFixture; }
    const Ui::CSinglePointPage& Single() { return m_pFixture->Window().SinglePointPage().Controls(); }
    const Ui::CSweepPage& Sweep() { return m_pFixture->Window().SweepPage().Controls(); }
    const Ui::CDriversControlDlg& Main() { return m_pFixture->Window().Controls(); }

    void AnswerNext(const QList<Answer>& answers) { m_pAnswers->AnswerNext(answers); }

    void AwaitFrames(int nCount)
    {
        QTRY_VERIFY_WITH_TIMEOUT(Fixture().FrameTexts().size() >= nCount, kWaitMs);
    }

    // The steps of the session, in the order of the golden list.
    QList<std::function<void()>> Script()
    {
        return {
            [this] {
                AnswerNext({Answer::Ack});
                Single().btnSend->click();
            },
            [this] {
                AnswerNext(Times(7, Answer::Silent));
                Single().btnSend->click();
            },
            [this] {
                Single().editAmplitude->setText(QStringLiteral("1"));
                Single().editFrequency->setText(QStringLiteral("100"));
                AnswerNext({Answer::Refuse, Answer::Refuse});
                Single().btnSend->click();
            },
            [this] {
                const int nBefore = Fixture().FrameTexts().size();
                AnswerNext(Times(8, Answer::Silent));
                Single().btnSend->click();
                AwaitFrames(nBefore + 3);
                Single().btnSend->click();
            },
            [this] {
                Main().tabPages->setCurrentIndex(1);
                Sweep().editAmplitude->setText(QStringLiteral("1"));
                Sweep().editStartFreq->setText(QStringLiteral("100"));
                Sweep().editEndFreq->setText(QStringLiteral("300"));
                Q_EMIT Sweep().cmbInterval->DropDown();
                Sweep().cmbInterval->setCurrentIndex(7);
                AnswerNext({Answer::Refuse});
                Sweep().btnScan->click();
            },
            [this] {
                AnswerNext({});
                Sweep().btnPause->click();
            },
            [this] {
                AnswerNext({Answer::Refuse});
                Sweep().btnPause->click();
            },
            [this] {
                AnswerNext({});
                Main().btnClose->click();
            },
            [this] {
                const int nBefore = Fixture().FrameTexts().size();
                AnswerNext({Answer::Refuse, Answer::Silent});
                Sweep().btnScan->click();
                AwaitFrames(nBefore + 2);
                // Unanswered, so that no reply can reach the scan watch before
                // the pause watch's first tick stops it.
                AnswerNext({Answer::Silent});
                Sweep().btnPause->click();
            },
            [this] {
                AnswerNext({});
                Main().btnClose->click();
            },
            [this] {
                AnswerNext({});
                Sweep().btnScan->click();
            },
            [this] {
                AnswerNext(Times(10, Answer::Silent));
                Main().btnClose->click();
            },
            [this] {
                AnswerNext({Answer::Refuse, Answer::Refuse});
                Main().btnClose->click();
            },
            [this] {
                Main().tabPages->setCurrentIndex(0);
                AnswerNext({Answer::Refuse});
                Single().btnSend->click();
            },
        };
    }

private Q_SLOTS:
    void init()
    {
        m_pFixture = std::make_unique<WindowOnBoard>();
        Fixture().Board().SetReportInterval(kNoReportsMs);
        m_pAnswers = std::make_unique<CScriptedAnswers>(Fixture().Board());
    }
    void cleanup()
    {
        m_pAnswers.reset();
        m_pFixture.reset();
    }

    void everyFrameMatchesTheGoldenList()
    {
        const QList<GoldenStep> golden = ReadGolden(QStringLiteral(VEVEVAR_GOLDEN_DIR "/wire_session.txt"));
        const QList<std::function<void()>> script = Script();
        QCOMPARE(golden.size(), script.size());
        QStringList expected;
        for (int nStep = 0; nStep < script.size(); ++nStep) {
            expected += golden[nStep].frames;
            script[nStep]();
            AwaitFrames(expected.size());
            QTest::qWait(kSettleMs);
            const QStringList frames = Fixture().FrameTexts();
            if (frames != expected) {
                for (const QString& strFrame : frames)
                    qInfo("%s", qPrintable(strFrame));
            }
            QVERIFY2(frames == expected, qPrintable(QStringLiteral("step \"%1\"").arg(golden[nStep].strName)));
        }
        QVERIFY(Fixture().Messages().isEmpty());
    }
};

QTEST_MAIN(TestWireSession)
#include "test_wire_session.moc"
