#include "board/frame_splitter.h"
#include "protocol/frame.h"
#include "support/board_frames.h"
#include "support/sealed.h"

#include <QTest>

namespace {

QStringList Described(const QList<SplitFrame>& frames)
{
    QStringList texts;
    for (const SplitFrame& frame : frames)
        texts << VerdictText(frame.verdict) + ' ' + QString::fromLatin1(frame.bytes.toHex().toUpper());
    return texts;
}

QString Described(const char* pszVerdict, const QByteArray& bytes)
{
    return QString::fromLatin1(pszVerdict) + ' ' + QString::fromLatin1(bytes.toHex().toUpper());
}

} // namespace

class TestFrameSplitter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitter_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QStringList>("frames");
        const QByteArray unknown = Hex(Sealed(ComposeFrame(0, "02", {{"word", 0x1234, 2}})));
        const QByteArray shortened = g_point1V100Mhz.left(10) + g_point1V100Mhz.mid(11);
        const QByteArray lengthened = g_close.left(7) + Hex("00") + g_close.mid(7);
        const QByteArray headerInside
            = Hex(Sealed(ComposeFrame(0, "01", {{"tuning word", 0xA55A5AA5, 4}, {"amplitude word", 0x0040, 2}})));
        QTest::newRow("single point") << g_point1V100Mhz << QStringList{Described("good", g_point1V100Mhz)};
        QTest::newRow("sweep") << g_sweep10To400Mhz << QStringList{Described("good", g_sweep10To400Mhz)};
        QTest::newRow("close") << g_close << QStringList{Described("good", g_close)};
        QTest::newRow("pause and continue")
            << g_pause + g_continue << QStringList{Described("good", g_pause), Described("good", g_continue)};
        QTest::newRow("noise before and between frames")
            << Hex("0011A55A") + g_close + Hex("FFA5") + g_point1V100MhzResent
            << QStringList{Described("good", g_close), Described("good", g_point1V100MhzResent)};
        QTest::newRow("bad CRC") << WithLastByteFlipped(g_close)
                                 << QStringList{Described("bad CRC", WithLastByteFlipped(g_close))};
        QTest::newRow("short frame, good one behind")
            << shortened + g_close
            << QStringList{Described("bad trailer", shortened + g_close.left(1)), Described("good", g_close)};
        QTest::newRow("long frame, good one behind")
            << lengthened + g_pause
            << QStringList{Described("bad trailer", lengthened.left(13)), Described("good", g_pause)};
        QTest::newRow("unknown command, good one behind")
            << unknown + g_close << QStringList{Described("unknown command", unknown.left(6)), Described("good", g_close)};
        QTest::newRow("header in a frame's payload") << headerInside << QStringList{Described("good", headerInside)};
        QTest::newRow("noise only") << Hex("00A55A5A00FF") << QStringList{};
    }
    void splitter()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QStringList, frames);
        CFrameSplitter whole;
        QCOMPARE(Described(whole.Feed(stream)), frames);
        QVERIFY(!whole.HasPartialFrame());

        CFrameSplitter byteByByte;
        QList<SplitFrame> found;
        for (const char byte : stream)
            found += byteByByte.Feed(QByteArray(1, byte));
        QCOMPARE(Described(found), frames);
        QVERIFY(byteByByte.Flush().isEmpty());
    }

    void splitterFlush_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<bool>("partial");
        QTest::addColumn<QStringList>("flushed");
        QTest::newRow("half a frame") << g_point1V100Mhz.left(9) << true
                                      << QStringList{Described("truncated", g_point1V100Mhz.left(9))};
        QTest::newRow("cut sweep, whole close behind")
            << g_sweep10To400Mhz.left(10) + g_close << true
            << QStringList{Described("truncated", g_sweep10To400Mhz.left(10)), Described("good", g_close)};
        QTest::newRow("header alone") << g_close.left(4) << true << QStringList{Described("truncated", g_close.left(4))};
        QTest::newRow("start of a header") << g_close.left(3) << false << QStringList{};
        QTest::newRow("nothing") << QByteArray() << false << QStringList{};
    }
    void splitterFlush()
    {
        QFETCH(QByteArray, stream);
        QFETCH(bool, partial);
        QFETCH(QStringList, flushed);
        CFrameSplitter splitter;
        QVERIFY(splitter.Feed(stream).isEmpty());
        QCOMPARE(splitter.HasPartialFrame(), partial);
        QCOMPARE(Described(splitter.Flush()), flushed);
        QVERIFY(!splitter.HasPartialFrame());
        QCOMPARE(Described(splitter.Feed(g_close)), QStringList{Described("good", g_close)});
    }
};

QTEST_GUILESS_MAIN(TestFrameSplitter)
#include "test_frame_splitter.moc"
