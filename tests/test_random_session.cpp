#include "pages/message_box.h"
#include "pages/run_flags.h"
#include "protocol/frame.h"
#include "pages/ms_comm.h"
#include "serial/port_table.h"
#include "pages/reply_state.h"
#include "support/window_on_board.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <utility>

namespace {

constexpr quint32 kLowestWord = 0x028F5C28;         // 10 MHz
constexpr quint32 kHighestPointWord = 0x66A7EF1A;   // the largest float below 401 MHz
constexpr quint32 kHighestSweepWord = 0x66666666;   // 400 MHz
constexpr int kHighestPointAmplitude = 0x4F33;
constexpr int kHighestSweepAmplitude = 0x4FFD;
// Far beyond any tick: only a program that stopped answering gets near it.
constexpr qint64 kHangMsecs = 2000;

quint32 WordAt(const QByteArray& bytes, int nOffset, int nBytes)
{
    quint32 dwValue = 0;
    for (int i = 0; i < nBytes; ++i)
        dwValue = (dwValue << 8) | static_cast<quint8>(bytes[nOffset + i]);
    return dwValue;
}

// Why a frame the board received is malformed or out of range; empty if fine.
QString FrameFault(const ReceivedFrame& frame)
{
    if (frame.verdict != SplitFrame::Verdict::Good)
        return QStringLiteral("not a good frame: %1").arg(VerdictText(frame.verdict));
    const QByteArray& bytes = frame.bytes;
    if (bytes.size() != FrameLengthForCommand(static_cast<unsigned char>(frame.Command())))
        return QStringLiteral("wrong length");
    switch (frame.Command()) {
    case 0x01: {
        const quint32 dwWord = WordAt(bytes, 6, 4);
        if (frame.Retry() > 6)
            return QStringLiteral("point retry count above 06");
        if (dwWord < kLowestWord || dwWord > kHighestPointWord)
            return QStringLiteral("point tuning word out of range");
        if (WordAt(bytes, 10, 2) > kHighestPointAmplitude)
            return QStringLiteral("point amplitude word out of range");
        return QString();
    }
    case 0x03: {
        const quint32 dwStart = WordAt(bytes, 6, 4);
        const quint32 dwEnd = WordAt(bytes, 10, 4);
        if (frame.Retry() > 9)
            return QStringLiteral("sweep retry count above 09");
        if (dwStart < kLowestWord || dwStart > kHighestSweepWord || dwEnd < kLowestWord || dwEnd > kHighestSweepWord)
            return QStringLiteral("sweep tuning word out of range");
        if (dwEnd < dwStart)
            return QStringLiteral("sweep end below start");
        if (WordAt(bytes, 14, 2) > kHighestSweepAmplitude)
            return QStringLiteral("sweep amplitude word out of range");
        if (WordAt(bytes, 16, 1) > 0x0D)
            return QStringLiteral("step code out of range");
        if (static_cast<qint32>(WordAt(bytes, 17, 4)) < 1)
            return QStringLiteral("time interval below 1");
        if (WordAt(bytes, 21, 1) > 1)
            return QStringLiteral("circular flag neither 00 nor 01");
        return QString();
    }
    case 0x40: {
        const quint32 dwCode = WordAt(bytes, 6, 1);
        if (dwCode == 0x80)
            return frame.Retry() == 0 ? QString() : QStringLiteral("close retry count not 00");
        if (dwCode != 0x83 && dwCode != 0x84)
            return QStringLiteral("unknown control code");
        return frame.Retry() > 9 ? QStringLiteral("pause or continue retry count above 09") : QString();
    }
    default:
        return QStringLiteral("unknown command");
    }
}

} // namespace

class TestRandomSession : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WindowOnBoard> m_pFixture;
    QRandomGenerator m_random;
    quint32 m_nSeed = 0;
    int m_nAction = 0;
    int m_nFramesChecked = 0;
    QList<ReceivedFrame> m_framesArrived;
    int m_nFaultsInjected = 0;
    // Texts of the boxes open now, the innermost last.
    QStringList m_openBoxes;
    QString m_strBroken;
    // Flood detection: the message last raised without any action since.
    QString m_strLastUnpromptedMessage;
    bool m_bActedSince = true;
    QElapsedTimer m_sinceTick;
    qint64 m_nLongestGap = 0;

    WindowOnBoard& Fixture() { return *m_pFixture; }
    CDriversControlDlg& Window() { return m_pFixture->Window(); }
    int Draw(int nBound) { return static_cast<int>(m_random.bounded(nBound)); }

    void Break(const QString& strWhy)
    {
        if (m_strBroken.isEmpty())
            m_strBroken = QStringLiteral("seed %1, action %2: %3").arg(m_nSeed).arg(m_nAction).arg(strWhy);
    }

    QString RandomText()
    {
        static const QStringList pieces{
            "0", "1", "4", "5", "10", "100", "400", "401", "-", "+", ".", "e", "E", "e-3", "e39", " ", "\t",
            "abc", "V", "MHz", "x", "inf", "nan", "0x1A", "\u00B5", "\uFF15", "\u00E9", "\u4E2D", "9999999999"};
        switch (Draw(6)) {
        case 0:
            return QString();
        case 1:
            return QString::number(Draw(1000) - 100) + (Draw(2) ? QStringLiteral(".") + QString::number(Draw(1000)) : QString());
        case 2: {
            QString strLong;
            for (int i = 0; i < 200; ++i)
                strLong += pieces[Draw(pieces.size())];
            return strLong;
        }
        default: {
            QString strText;
            for (int n = 1 + Draw(4); n > 0; --n)
                strText += pieces[Draw(pieces.size())];
            return strText;
        }
        }
    }

    QList<QLineEdit*> Fields()
    {
        const Ui::CSinglePointPage& single = Window().SinglePointPage().Controls();
        const Ui::CSweepPage& sweep = Window().SweepPage().Controls();
        return {single.editAmplitude, single.editFrequency, sweep.editAmplitude, sweep.editStartFreq,
                sweep.editEndFreq,    sweep.editTimeInterval, sweep.editCurrentFreq};
    }

    void TypeIntoAField()
    {
        QLineEdit* pField = Fields()[Draw(Fields().size())];
        const QString strText = RandomText();
        // Key events exist for printable ASCII only; the rest is pasted.
        const bool bTypeable = std::all_of(strText.cbegin(), strText.cend(), [](QChar ch) {
            return ch.unicode() >= 0x20 && ch.unicode() < 0x7F;
        });
        if (bTypeable && strText.size() <= 8 && Draw(2)) {
            pField->selectAll();
            QTest::keyClick(pField, Qt::Key_Backspace);
            QTest::keyClicks(pField, strText);
        } else {
            pField->setText(strText);
        }
    }

    void Scroll()
    {
        const QList<QScrollBar*> bars{Window().SinglePointPage().Controls().scrollAmplitude,
                                      Window().SinglePointPage().Controls().scrollFrequency,
                                      Window().SweepPage().Controls().scrollAmplitude};
        QScrollBar* pBar = bars[Draw(bars.size())];
        if (Draw(4) == 0) {
            pBar->setSliderDown(true);
            pBar->setSliderPosition(pBar->minimum() + Draw(pBar->maximum() - pBar->minimum() + 1));
            pBar->setSliderDown(false);
        } else {
            pBar->triggerAction(static_cast<QAbstractSlider::SliderAction>(1 + Draw(7)));
        }
    }

    void ClickAButton()
    {
        const QList<QAbstractButton*> buttons{
            Window().SinglePointPage().Controls().btnSend, Window().SweepPage().Controls().btnScan,
            Window().SweepPage().Controls().btnPause,      Window().SweepPage().Controls().chkCircular,
            Window().Controls().btnClose,                  Window().Controls().btnEmpty,
            Window().Controls().btnStart,                  Window().Controls().btnReset};
        buttons[Draw(buttons.size())]->click();
    }

    void PressASendingButton()
    {
        const QList<QAbstractButton*> buttons{
            Window().SinglePointPage().Controls().btnSend, Window().SweepPage().Controls().btnScan,
            Window().SweepPage().Controls().btnPause, Window().Controls().btnClose};
        buttons[Draw(buttons.size())]->click();
    }

    void UseTheIntervalList()
    {
        // What opening the list does, without a popup the offscreen platform
        // warns about on every opening.
        CDropDownComboBox* pList = Window().SweepPage().Controls().cmbInterval;
        Q_EMIT pList->DropDown();
        pList->setCurrentIndex(Draw(15) - 1);
    }

    void SwitchPorts()
    {
        CDropDownComboBox* pPorts = Window().Controls().cmbComPort;
        Q_EMIT pPorts->DropDown();
        // Mostly the board; now and then the port that is not there.
        const int nIndex = Draw(5) == 0 ? qMin(1, pPorts->count() - 1) : 0;
        pPorts->setCurrentIndex(nIndex);
        Q_EMIT pPorts->activated(nIndex);
    }

    // The operator notices the board is gone and picks it again.
    void PickTheBoardAgain()
    {
        if (!Fixture().Board().IsOpen())
            Fixture().Board().Reappear();
        if (!g_msComm.GetPortOpen())
            SwitchPorts();
    }

    void DisturbTheBoard()
    {
        ++m_nFaultsInjected;
        CVirtualBoard& board = Fixture().Board();
        switch (Draw(7)) {
        case 0:
            board.StaySilent(1 + Draw(3));
            break;
        case 1:
            board.Refuse(1 + Draw(3));
            break;
        case 2:
            board.SplitNextReply(Draw(2) ? 0 : 30);
            break;
        case 3: {
            QByteArray noise(1 + Draw(8), Qt::Uninitialized);
            for (char& byte : noise)
                byte = static_cast<char>(Draw(256));
            board.SendRaw(noise);
            break;
        }
        case 4:
            board.SendRaw(QByteArray::fromHex("4F4B"));
            break;
        case 5: {
            const quint32 dwWord = m_random.generate();
            board.SendRaw(QByteArray::fromHex(QByteArray::number(dwWord, 16).rightJustified(8, '0')));
            break;
        }
        default:
            if (board.IsOpen()) {
                board.Vanish();
            } else {
                board.Reappear();
                SwitchPorts();
            }
            break;
        }
    }

    // Every frame as it came: the board's own record keeps the latest only.
    void CheckNewFrames()
    {
        for (const ReceivedFrame& frame : std::exchange(m_framesArrived, {})) {
            ++m_nFramesChecked;
            const QString strFault = FrameFault(frame);
            if (!strFault.isEmpty())
                Break(strFault + QStringLiteral(" in ") + frame.Hex());
        }
    }

    void OnMessage(const QString& strText)
    {
        if (m_openBoxes.contains(strText))
            Break(QStringLiteral("\"%1\" opened over itself").arg(strText));
        m_openBoxes.append(strText);
        if (!m_bActedSince && strText == m_strLastUnpromptedMessage)
            Break(QStringLiteral("\"%1\" shown again with nothing done in between").arg(strText));
        if (!m_bActedSince)
            m_strLastUnpromptedMessage = strText;
        // The operator reads it for a moment; ticks and replies go on.
        QTest::qWait(Draw(30));
        m_openBoxes.removeLast();
    }

private Q_SLOTS:
    void init()
    {
        m_nSeed = qEnvironmentVariableIsSet("VEVEVAR_SEED")
            ? static_cast<quint32>(qEnvironmentVariableIntValue("VEVEVAR_SEED"))
            : 20261207u;
        m_random.seed(m_nSeed);
        m_pFixture = std::make_unique<WindowOnBoard>();
        // Named for this process: the serial stack locks a port by its name,
        // and other tests open a missing device of their own at the same time.
        g_msComm.Ports().AddPreferred(QStringLiteral("/dev/vevevar-missing-session-%1").arg(QCoreApplication::applicationPid()),
                         QStringLiteral("a port that is not there"));
        Fixture().SetWhileMessageOpen([this](const QString& strText) { OnMessage(strText); });
        connect(&Fixture().Board(), &CVirtualBoard::FrameReceived, this,
                [this](const ReceivedFrame& frame) { m_framesArrived.append(frame); });
    }
    void cleanup() { m_pFixture.reset(); }

    void randomOperatorAndBoard()
    {
        const int nActions = qEnvironmentVariableIsSet("VEVEVAR_ACTIONS")
            ? qEnvironmentVariableIntValue("VEVEVAR_ACTIONS")
            : 5000;
        qInfo("seed %u (rerun with VEVEVAR_SEED=%u), %d actions", m_nSeed, m_nSeed, nActions);

        QTimer heartbeat;
        heartbeat.setInterval(10);
        connect(&heartbeat, &QTimer::timeout, this, [this] {
            m_nLongestGap = qMax(m_nLongestGap, m_sinceTick.restart());
        });
        m_sinceTick.start();
        heartbeat.start();

        const std::function<void()> actions[] = {
            [this] { TypeIntoAField(); }, [this] { TypeIntoAField(); }, [this] { TypeIntoAField(); },
            [this] { Scroll(); },         [this] { Scroll(); },         [this] { ClickAButton(); },
            [this] { ClickAButton(); },   [this] { ClickAButton(); },   [this] { UseTheIntervalList(); },
            [this] { Window().Controls().tabPages->setCurrentIndex(Draw(2)); },
            [this] { SwitchPorts(); },    [this] { DisturbTheBoard(); }, [this] { DisturbTheBoard(); },
            [this] { PickTheBoardAgain(); }, [this] { PickTheBoardAgain(); },
            [this] { PressASendingButton(); }, [this] { PressASendingButton(); },
        };
        constexpr int kActionKinds = static_cast<int>(std::size(actions));
        for (m_nAction = 0; m_nAction < nActions && m_strBroken.isEmpty(); ++m_nAction) {
            const int nKind = Draw(kActionKinds + 3);
            if (nKind < kActionKinds) {
                m_bActedSince = true;
                m_strLastUnpromptedMessage.clear();
                actions[nKind]();
            } else {
                m_bActedSince = false;
                QTest::qWait(Draw(30));
            }
            CheckNewFrames();
        }
        QTest::qWait(300);
        CheckNewFrames();

        qInfo("%d actions, %d frames checked, %d faults injected, %d messages shown, longest pause %lld ms",
              m_nAction, m_nFramesChecked, m_nFaultsInjected, static_cast<int>(Fixture().Messages().size()),
              static_cast<long long>(m_nLongestGap));
        QVERIFY2(m_strBroken.isEmpty(), qPrintable(m_strBroken));
        QVERIFY2(m_nLongestGap < kHangMsecs, qPrintable(QStringLiteral("the program stopped answering for %1 ms").arg(m_nLongestGap)));
        QVERIFY(m_nFramesChecked > 0);
    }
};

QTEST_MAIN(TestRandomSession)
#include "test_random_session.moc"
