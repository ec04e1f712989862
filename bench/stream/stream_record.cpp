#include "stream/stream_record.h"

#include <QList>

bool ParseBoardLog(const QByteArray& output, BoardLog& log)
{
    // The board prints its counts last: without them it stopped early.
    bool bComplete = false;
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == 3 && words[0] == "report")
            log.writtenNs.append(words[2].toLongLong());
        else if (words.size() == 2 && words[0] == "frames-during-stream")
            log.nFramesDuringStream = words[1].toInt();
        else if (words.size() == 2 && words[0] == "blocked-writes") {
            log.nBlockedWrites = words[1].toInt();
            bComplete = true;
        }
    }
    return bComplete && !log.writtenNs.isEmpty();
}
