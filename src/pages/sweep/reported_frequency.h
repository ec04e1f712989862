#pragma once

#include <QString>

#include <optional>

// The tuning word a sweep report carries, read from reply text whose blanks
// are already removed: the leading hexadecimal digits as one number, of which
// the low 32 bits (the last eight digits) are kept. Reading stops at the
// first other character, as "%x" would. None when the text starts without a
// hexadecimal digit.
std::optional<quint32> ReportedTuningWord(const QString& strReply);
