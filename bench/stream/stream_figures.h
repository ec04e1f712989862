#pragma once

#include "stream/stream_record.h"
#include "support/figures.h"

// Holds the window's record against what the board wrote.
QList<Figure> StreamFigures(const WindowRecord& record, const BoardLog& log, QStringList& notes);
