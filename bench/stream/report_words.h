#pragma once

#include <QtGlobal>

// The tuning word of the k-th report of the stream: 20 MHz rising by 10 kHz a
// report, back to 20 MHz after 300 MHz, so that every report Current
// Frequency shows can be told from its neighbours.
quint32 StreamReportWord(qint64 nReport);
