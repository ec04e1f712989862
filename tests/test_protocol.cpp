#include "protocol/crc_text.h"
#include "protocol/frame.h"
#include "protocol/frame_decoding.h"
#include "protocol/frame_texts.h"
#include "protocol/hex_text.h"
#include "protocol/reply_text.h"
#include "protocol/reported_word.h"
#include "support/golden_frames.h"
#include "support/sealed.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// Bit by bit, straight from the definition, to check the table-driven code.
quint16 ReferenceCrc16Arc(const QByteArray& bytes)
{
    quint16 crc = 0;
    for (const char byte : bytes) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<quint16>((crc >> 1) ^ 0xA001) : static_cast<quint16>(crc >> 1);
    }
    return crc;
}

} // namespace

class TestProtocol : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void crcText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("crc");
        QTest::newRow("check value 123456789") << "313233343536373839" << "BB3D";
        QTest::newRow("empty") << "" << "0000";
        QTest::newRow("close") << WithoutCrc(kCloseFrame) << kCloseFrame.right(4);
        QTest::newRow("pause") << WithoutCrc(kPauseFrame) << kPauseFrame.right(4);
        QTest::newRow("continue") << WithoutCrc(kContinueFrame) << kContinueFrame.right(4);
        QTest::newRow("sweep 100..300") << WithoutCrc(kSweep100To300MhzBy1953kFrame)
                                         << kSweep100To300MhzBy1953kFrame.right(4);
    }
    void crcText()
    {
        QFETCH(QString, text);
        QFETCH(QString, crc);
        const QString strBefore = text;
        QCOMPARE(CrcText(text), crc);
        QCOMPARE(text, strBefore);
    }

    void crcMatchesBitwiseReference()
    {
        QRandomGenerator random(20261207);
        for (int n = 0; n < 4000; ++n) {
            QByteArray bytes(random.bounded(0, 64), Qt::Uninitialized);
            for (char& byte : bytes)
                byte = static_cast<char>(random.bounded(256));
            const quint16 reference = ReferenceCrc16Arc(bytes);
            QCOMPARE(Crc16Arc(bytes), reference);
            QCOMPARE(CrcText(QString::fromLatin1(bytes.toHex().toUpper())),
                     QString::asprintf("%04X", static_cast<unsigned>(reference)));
        }
    }

    void hexTextToBytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("blank between pairs") << "A5 5A" << QByteArray::fromHex("A55A");
        QTest::newRow("lower case") << "a55a" << QByteArray::fromHex("A55A");
        QTest::newRow("odd length drops last digit") << "A55" << QByteArray::fromHex("A5");
        QTest::newRow("stops at non-hex pair") << "A5G1" << QByteArray::fromHex("A5");
        QTest::newRow("empty") << "" << QByteArray();
        QTest::newRow("blank inside a pair stops") << "A 5" << QByteArray();
        QTest::newRow("leading and trailing blanks") << "  4F 4B  " << QByteArray::fromHex("4F4B");
        QTest::newRow("reply text form") << "00 FF 7F " << QByteArray::fromHex("00FF7F");
        QTest::newRow("non-ASCII stops") << QString::fromUtf8("4F\u00C44B") << QByteArray::fromHex("4F");
    }
    void hexTextToBytes()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QByteArray result("stale contents");
        QCOMPARE(HexTextToBytes(text, result), bytes.size());
        QCOMPARE(result, bytes);
    }

    void hexDigitValue_data()
    {
        QTest::addColumn<QChar>("ch");
        QTest::addColumn<int>("value");
        QTest::newRow("0") << QChar(u'0') << 0;
        QTest::newRow("9") << QChar(u'9') << 9;
        QTest::newRow("A") << QChar(u'A') << 10;
        QTest::newRow("f") << QChar(u'f') << 15;
        QTest::newRow("G") << QChar(u'G') << -1;
        QTest::newRow("@ just below A") << QChar(u'@') << -1;
        QTest::newRow(": just above 9") << QChar(u':') << -1;
        QTest::newRow("blank") << QChar(u' ') << -1;
        QTest::newRow("fullwidth digit") << QChar(u'\uFF11') << -1;
    }
    void hexDigitValue()
    {
        QFETCH(QChar, ch);
        QFETCH(int, value);
        QCOMPARE(static_cast<int>(HexDigitValue(ch)), value);
    }

    void composedFrames_data()
    {
        QTest::addColumn<QString>("composed");
        QTest::addColumn<QString>("sealed");
        QTest::newRow("close") << ComposeFrame(0, "40", {{"control code", 0x80, 1}}) << kCloseFrame;
        QTest::newRow("pause") << ComposeFrame(0, "40", {{"control code", 0x83, 1}}) << kPauseFrame;
        QTest::newRow("continue") << ComposeFrame(0, "40", {{"control code", 0x84, 1}})
                                  << kContinueFrame;
        QTest::newRow("single point 1 V 100 MHz")
            << ComposeFrame(0, "01", {{"tuning word", 0x19999999, 4}, {"amplitude word", 0x0FD7, 2}})
            << kPoint1V100MhzFrame;
        QTest::newRow("single point first resend")
            << ComposeFrame(1, "01", {{"tuning word", 0x19999999, 4}, {"amplitude word", 0x0FD7, 2}})
            << kPoint1V100MhzResentFrame;
        QTest::newRow("single point at start-up")
            << ComposeFrame(0, "01", {{"tuning word", 0x028F5C28, 4}, {"amplitude word", 0, 2}})
            << kPoint0V10MhzFrame;
        QTest::newRow("sweep 10..400")
            << ComposeFrame(0, "03",
                            {{"start word", 0x028F5C28, 4},
                             {"end word", 0x66666666, 4},
                             {"amplitude word", 0x0FFF, 2},
                             {"step code", 0, 1},
                             {"time interval", 5, 4},
                             {"circular flag", 0, 1}})
            << kSweep10To400MhzBy15kFrame;
    }
    void composedFrames()
    {
        QFETCH(QString, composed);
        QFETCH(QString, sealed);
        QString strFrame = composed;
        const QByteArray bytes = SealFrame(strFrame);
        QCOMPARE(strFrame, sealed);
        QCOMPARE(bytes, QByteArray::fromHex(sealed.toLatin1()));
        QCOMPARE(bytes.size(), FrameLengthForCommand(static_cast<unsigned char>(bytes[5])));
    }

    void composerRefusesWhatDoesNotFit_data()
    {
        QTest::addColumn<int>("retry");
        QTest::addColumn<QString>("command");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<int>("bytes");
        QTest::newRow("negative amplitude word") << 0 << "01" << qint64(-2027) << 2;
        QTest::newRow("amplitude word over 4 digits") << 0 << "01" << qint64(0x10000) << 2;
        QTest::newRow("word over 8 digits") << 0 << "03" << qint64(0x100000000) << 4;
        QTest::newRow("negative interval") << 0 << "03" << qint64(-1) << 4;
        QTest::newRow("retry count over a byte") << 256 << "01" << qint64(0) << 2;
        QTest::newRow("negative retry count") << -1 << "01" << qint64(0) << 2;
        QTest::newRow("command of three digits") << 0 << "401" << qint64(0) << 1;
        QTest::newRow("command in lower case") << 0 << "0a" << qint64(0) << 1;
        QTest::newRow("command not hex") << 0 << "0G" << qint64(0) << 1;
    }
    void composerRefusesWhatDoesNotFit()
    {
        QFETCH(int, retry);
        QFETCH(QString, command);
        QFETCH(qint64, value);
        QFETCH(int, bytes);
        QVERIFY_THROWS_EXCEPTION(FrameFieldError, ComposeFrame(retry, command, {{"field", value, bytes}}));
    }

    void composerAcceptsFieldLimits()
    {
        QCOMPARE(ComposeFrame(255, "03", {{"word", 0xFFFFFFFF, 4}, {"word", 0xFFFF, 2}, {"code", 0, 1}}),
                 g_strHeader + "FF03FFFFFFFFFFFF00" + g_strTrailer);
    }

    void refusalNamesTheField()
    {
        try {
            ComposeFrame(0, "01", {{"amplitude word", -1, 2}});
            QFAIL("no refusal");
        } catch (const FrameFieldError& error) {
            QVERIFY(QString::fromStdString(error.what()).contains("amplitude word"));
            QVERIFY(QString::fromStdString(error.what()).contains("nothing was sent"));
        }
    }

    void acknowledgement_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("acknowledged");
        QTest::newRow("4F 4B") << "4F 4B " << true;
        QTest::newRow("4F 4B 00") << "4F 4B 00 " << true;
        QTest::newRow("blanks stripped") << "4F4B" << true;
        QTest::newRow("4F alone") << "4F " << false;
        QTest::newRow("4B 4F") << "4B 4F " << false;
        QTest::newRow("4F 00 4B") << "4F 00 4B " << false;
        QTest::newRow("refusal") << "45 52 " << false;
        QTest::newRow("empty") << "" << false;
    }
    void acknowledgement()
    {
        QFETCH(QString, reply);
        QFETCH(bool, acknowledged);
        QCOMPARE(IsAcknowledgement(reply), acknowledged);
    }

    void wholeReportBytes_data()
    {
        QTest::addColumn<int>("available");
        QTest::addColumn<bool>("acknowledgementLeads");
        QTest::addColumn<int>("whole");
        QTest::newRow("nothing") << 0 << false << 0;
        QTest::newRow("part of a report") << 3 << false << 0;
        QTest::newRow("one report") << 4 << false << 4;
        QTest::newRow("a report and a half") << 6 << false << 4;
        QTest::newRow("sixteen packet bytes") << 15 << false << 12;
        QTest::newRow("acknowledgement alone") << 2 << true << 2;
        QTest::newRow("part of the acknowledgement") << 1 << true << 0;
        QTest::newRow("acknowledgement and a report") << 6 << true << 6;
        QTest::newRow("acknowledgement and a cut report") << 9 << true << 6;
    }
    void wholeReportBytes()
    {
        QFETCH(int, available);
        QFETCH(bool, acknowledgementLeads);
        QFETCH(int, whole);
        QCOMPARE(WholeReportBytes(available, acknowledgementLeads), qsizetype(whole));
    }

    void replyText()
    {
        QCOMPARE(ReplyText(QByteArray::fromHex("4F4B")), QStringLiteral("4F 4B "));
        QCOMPARE(ReplyText(QByteArray::fromHex("00FF0a")), QStringLiteral("00 FF 0A "));
        QCOMPARE(ReplyText(QByteArray()), QString());
    }

    void frameLengths_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("length");
        QTest::newRow("single point") << 0x01 << 18;
        QTest::newRow("sweep") << 0x03 << 28;
        QTest::newRow("control") << 0x40 << 13;
        QTest::newRow("unknown") << 0x02 << 0;
    }
    void frameLengths()
    {
        QFETCH(int, command);
        QFETCH(int, length);
        QCOMPARE(FrameLengthForCommand(static_cast<unsigned char>(command)), length);
    }

    void decodedFrames_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("controlCode");
        QTest::addColumn<int>("retry");
        QTest::newRow("point") << kPoint1V100MhzFrame << "point" << 0x01 << -1 << 0;
        QTest::newRow("point resent") << kPoint1V100MhzResentFrame << "point" << 0x01 << -1 << 1;
        QTest::newRow("sweep") << kSweep100To300MhzBy1953kFrame << "sweep" << 0x03 << -1 << 0;
        QTest::newRow("close") << kCloseFrame << "close" << 0x40 << 0x80 << 0;
        QTest::newRow("pause") << kPauseFrame << "pause" << 0x40 << 0x83 << 0;
        QTest::newRow("continue") << kContinueFrame << "continue" << 0x40 << 0x84 << 0;
        QTest::newRow("pause, count 09") << "A55A5AA50940835AA5A55AC553" << "pause" << 0x40 << 0x83 << 9;
        QTest::newRow("control code no sender uses") << "A55A5AA50040815AA5A55A0000" << "control" << 0x40 << 0x81 << 0;
    }
    void decodedFrames()
    {
        QFETCH(QString, frame);
        QFETCH(QString, kind);
        QFETCH(int, command);
        QFETCH(int, controlCode);
        QFETCH(int, retry);
        const std::optional<DecodedFrame> decoded = DecodeFrame(frame);
        QVERIFY(decoded);
        const std::optional<FrameKind> decodedKind = FrameKindOf(*decoded);
        QCOMPARE(QString::fromLatin1(decodedKind ? FrameKindName(*decodedKind) : "control"), kind);
        QCOMPARE(decoded->nCommand, command);
        QCOMPARE(decoded->nControlCode, controlCode);
        QCOMPARE(decoded->nRetry, retry);
    }

    void undecodableFrames_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::newRow("empty") << "";
        QTest::newRow("without its CRC") << "A55A5AA50040805AA5A55A";
        QTest::newRow("a byte too many") << kCloseFrame + "00";
        QTest::newRow("wrong header") << "A55A5AA60040805AA5A55AC58E";
        QTest::newRow("wrong trailer") << "A55A5AA50040805AA5A55BC58E";
        QTest::newRow("unknown command") << "A55A5AA50002805AA5A55AC58E";
        QTest::newRow("not hexadecimal") << "A55A5AA500408G5AA5A55AC58E";
        QTest::newRow("odd length") << kCloseFrame.left(25);
        QTest::newRow("a reply") << kAcknowledgementReply;
    }
    void undecodableFrames()
    {
        QFETCH(QString, frame);
        QVERIFY(!DecodeFrame(frame));
    }
};

QTEST_APPLESS_MAIN(TestProtocol)
#include "test_protocol.moc"
