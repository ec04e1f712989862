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
    // Read through a view: indexing the copy itself would copy its characters.
    const QStringView text(strText);
    const qsizetype nLength = text.size();
    char* pBytes = bytes.data();
    int k = 0;
    qsizetype i = 0;
    while (i < nLength) {
        if (text[i] == u' ') {
            ++i;
            continue;
        }
        if (i + 1 >= nLength)
            break;
        const signed char high = HexDigitValue(text[i]);
        const signed char low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            break;
        // Blanks between pairs can make the text longer than twice its bytes,
        // never shorter, so k stays within the array sized above.
        pBytes[k++] = static_cast<char>(high * 16 + low);
        i += 2;
    }
    bytes.resize(k);
    return k;
}
