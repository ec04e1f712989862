#pragma once

#include <QString>

// Frames as they must appear on the wire, written out by hand rather than
// composed, so that a test holds the code to the bytes and not to itself.

inline const QString kFrameHeader = QStringLiteral("A55A5AA5");
inline const QString kFrameTrailer = QStringLiteral("5AA5A55A");

// Single points; 0 V at 10 MHz is what the page's start-up values give.
inline const QString kPoint0V10MhzFrame = QStringLiteral("A55A5AA50001028F5C2800005AA5A55A1566");
inline const QString kPoint0V10MhzResentFrame = QStringLiteral("A55A5AA50101028F5C2800005AA5A55AD69B");
inline const QString kPoint1V100MhzFrame = QStringLiteral("A55A5AA50001199999990FD75AA5A55A8CE9");
inline const QString kPoint1V100MhzResentFrame = QStringLiteral("A55A5AA50101199999990FD75AA5A55A4F14");
inline const QString kPoint4V400MhzFrame = QStringLiteral("A55A5AA50001666666663F5C5AA5A55A877F");
inline const QString kPoint4p5V10MhzFrame = QStringLiteral("A55A5AA50001028F5C2847475AA5A55A6DDD");
inline const QString kPoint0V400p9MhzFrame = QStringLiteral("A55A5AA5000166A161CA00005AA5A55A5CF1");

// Sweeps at 1 V, time interval 5, not circular, named by their step.
inline const QString kSweep10To400MhzBy15kFrame =
    QStringLiteral("A55A5AA50003028F5C28666666660FFF0000000005005AA5A55A5F36");
inline const QString kSweep100To300MhzBy1953kFrame =
    QStringLiteral("A55A5AA50003199999994CCCCCCC0FFF0700000005005AA5A55AA023");
inline const QString kSweep100To300MhzBy15p625MFrame =
    QStringLiteral("A55A5AA50003199999994CCCCCCC0FFF0A00000005005AA5A55A5AB2");

inline const QString kCloseFrame = QStringLiteral("A55A5AA50040805AA5A55AC58E");
inline const QString kPauseFrame = QStringLiteral("A55A5AA50040835AA5A55AC5CA");
inline const QString kContinueFrame = QStringLiteral("A55A5AA50040845AA5A55A057F");

// The board's two answers to a frame: "OK" and "ER".
inline const QString kAcknowledgementReply = QStringLiteral("4F4B");
inline const QString kRefusalReply = QStringLiteral("4552");
