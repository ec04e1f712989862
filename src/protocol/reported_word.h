#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// During a sweep the board reports its present frequency as one tuning
// word, first byte most significant, at most four bytes.
inline constexpr int kMostReportBytes = 4;

// Of nAvailable bytes of an unbroken report stream, how many make whole
// reports, after the board's 2-byte acknowledgement where one leads them:
// what may be taken in without cutting a report in two.
qsizetype WholeReportBytes(qsizetype nAvailable, bool bAcknowledgementLeads);

// The tuning word a sweep report carries, read from reply text whose blanks
// are already removed: the leading hexadecimal digits as one number, of which
// the low 32 bits (the last eight digits) are kept. Reading stops at the
// first other character, as "%x" would. None when the text starts without a
// hexadecimal digit.
std::optional<quint32> ReportedTuningWord(const QString& strReply);

// Whether a decoded report lies in the window the sweep page shows: strictly
// between the lowest and highest frequency, tested before rounding to float.
bool IsShownFrequency(double dMegahertz);

// The tuning word of received bytes that read as one report, first byte most
// significant; none for the acknowledgement and for anything longer.
std::optional<quint32> ReportedWord(const QByteArray& bytes);

// The frequency of received bytes that read as one report; none for the
// acknowledgement (it would decode to about 0.005 MHz) and for anything
// longer than a report.
std::optional<float> ReportedFrequency(const QByteArray& bytes);
