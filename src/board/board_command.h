#pragma once

#include <QByteArray>
#include <QtGlobal>

// What a good frame asks of the board.
struct BoardCommand {
    enum class Kind { SinglePoint, Sweep, Close, Pause, Continue };
    Kind kind = Kind::Close;
    quint32 dwTuningWord = 0;  // the single point, or where a sweep starts
    quint32 dwEndWord = 0;
    int nAmplitudeWord = 0;
    int nStepCode = 0;
    // Time per sweep step in units of 20 ns.
    qint64 nIntervalCount = 0;
    bool bCircular = false;
};

inline constexpr int kHighestStepCode = 0x0D;

// Reads a frame the splitter found good. Returns false for one the board
// answers ER all the same: a step code above 0D or an unknown control code.
bool DecodeCommand(const QByteArray& frame, BoardCommand& command);
