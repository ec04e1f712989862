#include "protocol/hex_text.h"

signed char HexDigitValue(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return static_cast<signed char>(c - u'0');
    if (c >= u'A' && c <= u'F')
        return static_cast<signed char>(c - u'A' + 10);
    if (c >= u'a' && c <= u'f')
        return static_cast<signed char>(c - u'a' + 10);
    return -1;
}

int HexTextToBytes(QString strText, QByteArray& bytes)
{
    bytes.resize(strText.size() / 2);
    const qsizetype nLength = strText.size();
    int k = 0;
    qsizetype i = 0;
    while (i < nLength) {
        if (strText[i] == u' ') {
            ++i;
            continue;
        }
        if (i + 1 >= nLength)
            break;
        const signed char high = HexDigitValue(strText[i]);
        const signed char low = HexDigitValue(strText[i + 1]);
        if (high < 0 || low < 0)
            break;
        // Blanks between pairs can make the text longer than twice its bytes,
        // never shorter, so k stays within the array sized above.
        bytes[k++] = static_cast<char>(high * 16 + low);
        i += 2;
    }
    bytes.resize(k);
    return k;
}
