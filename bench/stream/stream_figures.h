#pragma once

#include "stream/stream_floors.h"
#include "stream/stream_record.h"
#include "support/figures.h"

// Holds the window's record against what the board wrote, and its CPU
// against the floors of the same run. nAdapterLatencyMs is the latency of
// the adapter the board wrote through, 0 for none.
QList<Figure> StreamFigures(const WindowRecord& record, const BoardLog& log, const StreamFloors& floors,
                            int nAdapterLatencyMs, QStringList& notes);
