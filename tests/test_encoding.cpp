#include "encoding/number_text.h"
#include "encoding/text_parsing.h"
#include "encoding/words.h"

#include <QTest>

#include <cfloat>
#include <climits>
#include <clocale>
#include <limits>

class TestEncoding : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void amplitudeWords_data()
    {
        QTest::addColumn<float>("volts");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QString>("word");
        const double single = kSinglePointAmplitudeScale;
        const double sweep = kSweepAmplitudeScale;
        QTest::newRow("0 V") << 0.0f << single << "0000";
        QTest::newRow("0.001 V") << 0.001f << single << "0004";
        QTest::newRow("1 V") << 1.0f << single << "0FD7";
        QTest::newRow("2.5 V truncates 10137.6") << 2.5f << single << "2799";
        QTest::newRow("4 V") << 4.0f << single << "3F5C";
        QTest::newRow("4.0404 V") << 4.0404f << single << "3FFF";
        QTest::newRow("4.5 V") << 4.5f << single << "4747";
        QTest::newRow("4.9999995 V") << 4.9999995f << single << "4F33";
        QTest::newRow("sweep 1 V") << 1.0f << sweep << "0FFF";
        QTest::newRow("sweep 4 V") << 4.0f << sweep << "3FFE";
    }
    void amplitudeWords()
    {
        QFETCH(float, volts);
        QFETCH(double, scale);
        QFETCH(QString, word);
        QCOMPARE(QString::asprintf("%04X", static_cast<unsigned>(AmplitudeToWord(volts, scale))), word);
    }

    void negativeAmplitudeGivesNegativeWord()
    {
        // The pages must clamp before encoding: this word would not fit.
        QCOMPARE(AmplitudeToWord(-0.5f, kSinglePointAmplitudeScale), -2027);
    }

    void tuningWords_data()
    {
        QTest::addColumn<float>("megahertz");
        QTest::addColumn<QString>("word");
        QTest::newRow("10 MHz truncates") << 10.0f << "028F5C28";
        QTest::newRow("100 MHz") << 100.0f << "19999999";
        QTest::newRow("123.456 MHz from the float") << 123.456f << "1F9AD000";
        QTest::newRow("200 MHz") << 200.0f << "33333333";
        QTest::newRow("250 MHz") << 250.0f << "40000000";
        QTest::newRow("300 MHz") << 300.0f << "4CCCCCCC";
        QTest::newRow("400 MHz") << 400.0f << "66666666";
        QTest::newRow("400.9 MHz") << 400.9f << "66A161CA";
        QTest::newRow("largest float below 401") << 400.99997f << "66A7EF1A";
        QTest::newRow("500 MHz keeps low bits") << 500.0f << "80000000";
        QTest::newRow("1000 MHz wraps") << 1000.0f << "00000000";
        QTest::newRow("negative wraps") << -250.0f << "C0000000";
        QTest::newRow("huge stays defined") << FLT_MAX << "00000000";
    }
    void tuningWords()
    {
        QFETCH(float, megahertz);
        QFETCH(QString, word);
        QCOMPARE(QString::asprintf("%08X", FrequencyToTuningWord(megahertz)), word);
    }

    void decoding_data()
    {
        QTest::addColumn<quint32>("word");
        QTest::addColumn<float>("megahertz");
        QTest::addColumn<double>("exact");
        QTest::newRow("250") << quint32(0x40000000) << 250.0f << 250.0;
        QTest::newRow("400 just below in double") << quint32(0x66666666) << 400.0f << 399.99999990686774;
        QTest::newRow("10 just below in double") << quint32(0x028F5C28) << 10.0f << 9.9999997764825821;
        QTest::newRow("zero") << quint32(0) << 0.0f << 0.0;
        QTest::newRow("acknowledgement bytes") << quint32(0x4F4B) << 0.0047262292355299f << 0.0047262292355299;
    }
    void decoding()
    {
        QFETCH(quint32, word);
        QFETCH(float, megahertz);
        QFETCH(double, exact);
        QCOMPARE(TuningWordToFrequency(word), megahertz);
        QCOMPARE(TuningWordToFrequencyExact(word), exact);
    }

    void integerPart_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("integer");
        QTest::newRow("4.99") << 4.99 << 4;
        QTest::newRow("400.9") << 400.9 << 400;
        QTest::newRow("-0.5") << -0.5 << 0;
        QTest::newRow("-1.5") << -1.5 << -1;
        QTest::newRow("above int saturates") << 1e30 << INT_MAX;
        QTest::newRow("below int saturates") << -1e30 << INT_MIN;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << 0;
    }
    void integerPart()
    {
        QFETCH(double, value);
        QFETCH(int, integer);
        QCOMPARE(IntegerPart(value), integer);
    }

    void scanFloat_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("read");
        QTest::addColumn<float>("value");
        QTest::newRow("plain") << "3.3" << true << 3.3f;
        QTest::newRow("blanks first") << "  3.3abc" << true << 3.3f;
        QTest::newRow("tab and newline first") << "\t\n7" << true << 7.0f;
        QTest::newRow("unit after") << "2.5V" << true << 2.5f;
        QTest::newRow("plus sign") << "+4" << true << 4.0f;
        QTest::newRow("minus sign") << "-1" << true << -1.0f;
        QTest::newRow("leading point") << ".5" << true << 0.5f;
        QTest::newRow("trailing point") << "5." << true << 5.0f;
        QTest::newRow("exponent") << "1e2" << true << 100.0f;
        QTest::newRow("negative exponent") << "25E-1" << true << 2.5f;
        QTest::newRow("dangling exponent") << "3e" << true << 3.0f;
        QTest::newRow("held as float") << "123.456" << true << 123.456f;
        QTest::newRow("overflow saturates") << "1e39" << true << FLT_MAX;
        QTest::newRow("negative overflow") << "-1e39" << true << -FLT_MAX;
        QTest::newRow("underflow to zero") << "1e-60" << true << 0.0f;
        QTest::newRow("long digits overflow") << QString(60, u'9') << true << FLT_MAX;
        QTest::newRow("empty") << "" << false << 0.0f;
        QTest::newRow("blanks only") << "   " << false << 0.0f;
        QTest::newRow("letters") << "abc" << false << 0.0f;
        QTest::newRow("sign only") << "-" << false << 0.0f;
        QTest::newRow("double sign") << "+-5" << false << 0.0f;
        QTest::newRow("point only") << "." << false << 0.0f;
        QTest::newRow("infinity is not a number here") << "inf" << false << 0.0f;
        QTest::newRow("nan is not a number here") << "nan" << false << 0.0f;
        QTest::newRow("non-ASCII") << QString::fromUtf8("\u00B35") << false << 0.0f;
    }
    void scanFloat()
    {
        QFETCH(QString, text);
        QFETCH(bool, read);
        QFETCH(float, value);
        const float fUnchanged = 42.0f;
        float fTarget = fUnchanged;
        QCOMPARE(ScanFloat(text, fTarget), read);
        QCOMPARE(fTarget, read ? value : fUnchanged);
    }

    void scanFloatIgnoresProcessLocale()
    {
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            QSKIP("no German locale on this machine");
        float fValue = 0;
        QVERIFY(ScanFloat("2.5", fValue));
        std::setlocale(LC_NUMERIC, "C");
        QCOMPARE(fValue, 2.5f);
    }

    void scanInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("read");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "5" << true << 5;
        QTest::newRow("blanks and sign") << "  -12x" << true << -12;
        QTest::newRow("fraction ignored") << "123.9" << true << 123;
        QTest::newRow("exponent ignored") << "1e3" << true << 1;
        QTest::newRow("saturates high") << "99999999999" << true << INT_MAX;
        QTest::newRow("saturates low") << "-99999999999" << true << INT_MIN;
        QTest::newRow("int min exactly") << "-2147483648" << true << INT_MIN;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("letters") << "x" << false << 0;
        QTest::newRow("point first") << ".5" << false << 0;
    }
    void scanInt()
    {
        QFETCH(QString, text);
        QFETCH(bool, read);
        QFETCH(int, value);
        int nTarget = 7;
        QCOMPARE(ScanInt(text, nTarget), read);
        QCOMPARE(nTarget, read ? value : 7);
    }

    void atoiPrefix_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("letters give 0") << "abc" << 0;
        QTest::newRow("fraction cut") << "123.9" << 123;
        QTest::newRow("ten characters cut to nine") << "0000000100" << 10;
        QTest::newRow("nine nines") << "9999999999" << 999999999;
        QTest::newRow("blanks and sign") << " -42" << -42;
        QTest::newRow("empty") << "" << 0;
    }
    void atoiPrefix()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(AtoiPrefix(text), value);
    }

    void numberTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("position 4") << FormatFixed3(4) << "4.000";
        QTest::newRow("position 400") << FormatFixed3(400) << "400.000";
        QTest::newRow("frequency bound") << FormatFixed5(400.0) << "400.00000";
        QTest::newRow("six decimals") << FormatFixed6(246.9000124) << "246.900012";
        QTest::newRow("general 100") << FormatGeneral6(100.0f) << "100";
        QTest::newRow("general 298.05") << FormatGeneral6(298.05f) << "298.05";
        QTest::newRow("general 0") << FormatGeneral6(0.0f) << "0";
        QTest::newRow("general small") << FormatGeneral6(0.0047262292f) << "0.00472623";
        QTest::newRow("general large") << FormatGeneral6(1234567.0f) << "1.23457e+06";
    }
    void numberTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }
};

QTEST_APPLESS_MAIN(TestEncoding)
#include "test_encoding.moc"
