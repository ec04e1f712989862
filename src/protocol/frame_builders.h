#pragma once

#include "protocol/commands.h"

#include <QString>

// One builder per frame kind. Each returns the frame text without its CRC
// and throws FrameFieldError for a value that does not fit its field.

QString PointFrame(int nRetry, quint32 dwTuningWord, int nAmplitudeWord);

struct SweepFrameFields {
    quint32 dwStartWord = 0;
    quint32 dwEndWord = 0;
    int nAmplitudeWord = 0;
    int nStepCode = 0;
    int nIntervalCount = 0;
    bool bCircular = false;
};
QString SweepFrame(int nRetry, const SweepFrameFields& fields);

QString CloseFrame(int nRetry);
QString PauseFrame(int nRetry);
QString ContinueFrame(int nRetry);
