#include "board/board_command.h"

#include "protocol/frame.h"

#include <QtEndian>

namespace {

quint32 Word32At(const QByteArray& frame, int nOffset)
{
    return qFromBigEndian<quint32>(frame.constData() + nOffset);
}

int Word16At(const QByteArray& frame, int nOffset)
{
    return qFromBigEndian<quint16>(frame.constData() + nOffset);
}

int ByteAt(const QByteArray& frame, int nOffset)
{
    return static_cast<quint8>(frame[nOffset]);
}

bool DecodeControl(int nCode, BoardCommand& command)
{
    switch (nCode) {
    case 0x80:
        command.kind = BoardCommand::Kind::Close;
        return true;
    case 0x83:
        command.kind = BoardCommand::Kind::Pause;
        return true;
    case 0x84:
        command.kind = BoardCommand::Kind::Continue;
        return true;
    default:
        return false;
    }
}

} // namespace

bool DecodeCommand(const QByteArray& frame, BoardCommand& command)
{
    if (frame.size() < kFrameHeadBytes)
        return false;
    const auto code = static_cast<unsigned char>(frame[kFrameHeadBytes - 1]);
    if (frame.size() != FrameLengthForCommand(code))
        return false;
    const int p = kFrameHeadBytes;
    switch (code) {
    case 0x01:
        command.kind = BoardCommand::Kind::SinglePoint;
        command.dwTuningWord = Word32At(frame, p);
        command.nAmplitudeWord = Word16At(frame, p + 4);
        return true;
    case 0x03:
        command.kind = BoardCommand::Kind::Sweep;
        command.dwTuningWord = Word32At(frame, p);
        command.dwEndWord = Word32At(frame, p + 4);
        command.nAmplitudeWord = Word16At(frame, p + 8);
        command.nStepCode = ByteAt(frame, p + 10);
        command.nIntervalCount = static_cast<qint32>(Word32At(frame, p + 11));
        command.bCircular = ByteAt(frame, p + 15) != 0;
        return command.nStepCode <= kHighestStepCode;
    case 0x40:
        return DecodeControl(ByteAt(frame, p), command);
    default:
        return false;
    }
}
