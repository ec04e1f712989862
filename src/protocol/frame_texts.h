#pragma once

#include <QString>

// Every frame starts and ends with these; both byte sequences are palindromes.
extern const QString g_strHeader;   // "A55A5AA5"
extern const QString g_strTrailer;  // "5AA5A55A"
