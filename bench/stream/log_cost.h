#pragma once

#include "stream/stream_record.h"
#include "support/figures.h"

#include <QString>

#include <optional>

// The traffic log's own cost per receive event: events of nBytes replayed
// into a log at strPath, each with the turn that writes its line, less the
// turns of the same events without the log. The stream's CPU varies more from run to
// run than the log costs, so this is the figure the log is held to.
double LogCostPerEventNs(const QString& strPath, int nBytes);

// The median of a figure in a group file the stream wrote; none when absent.
std::optional<double> ReadFigureMedian(const QString& strPath, const QString& strName);

// The stream with --log: the log's cost from the replay at the stream's event
// rate, and the stream's CPU beside the same figure of the run without it.
QList<Figure> LogFigures(const WindowRecord& record, double dStreamSeconds, double dPerEventNs,
                         const QString& strWithoutLogFigures, QStringList& notes);
