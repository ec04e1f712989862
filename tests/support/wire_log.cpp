#include "support/wire_log.h"

void PrintWireLog(const QList<ReceivedFrame>& frames)
{
    for (const ReceivedFrame& frame : frames)
        qInfo("%6lld ms  %s", static_cast<long long>(frame.nMsecs), qPrintable(frame.Hex()));
}
