#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

// 0..15 for 0-9, A-F and a-f; -1 for any other character.
signed char HexDigitValue(QChar ch);

// Converts pairs of hexadecimal digits to bytes. Blanks between pairs are
// skipped; the conversion stops quietly at the first pair that is not
// hexadecimal, and a lone final digit is dropped. Returns the byte count,
// which is also the size the array is left with.
int HexTextToBytes(QString strText, QByteArray& bytes);
