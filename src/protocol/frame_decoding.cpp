#include "protocol/frame_decoding.h"

#include "protocol/commands.h"
#include "protocol/frame.h"
#include "protocol/frame_texts.h"
#include "protocol/hex_text.h"

#include <QByteArray>

std::optional<DecodedFrame> DecodeFrame(const QString& strFrame)
{
    if (strFrame.size() % 2 != 0 || !strFrame.startsWith(g_strHeader))
        return std::nullopt;
    QByteArray bytes;
    if (HexTextToBytes(strFrame, bytes) * 2 != strFrame.size() || bytes.size() < kFrameHeadBytes + kFrameTailBytes)
        return std::nullopt;
    const auto command = static_cast<unsigned char>(bytes[kFrameHeadBytes - 1]);
    const int nLength = FrameLengthForCommand(command);
    if (nLength != bytes.size())
        return std::nullopt;
    // The trailer sits right before the two CRC bytes.
    const qsizetype nTrailerAt = 2 * (nLength - kFrameTailBytes);
    if (QStringView(strFrame).mid(nTrailerAt, g_strTrailer.size()) != g_strTrailer)
        return std::nullopt;
    DecodedFrame frame;
    frame.nRetry = static_cast<unsigned char>(bytes[kFrameHeadBytes - 2]);
    frame.nCommand = command;
    if (static_cast<Command>(command) == Command::Control)
        frame.nControlCode = static_cast<unsigned char>(bytes[kFrameHeadBytes]);
    return frame;
}

std::optional<FrameKind> FrameKindOf(const DecodedFrame& frame)
{
    switch (static_cast<Command>(frame.nCommand)) {
    case Command::SinglePoint:
        return FrameKind::Point;
    case Command::Sweep:
        return FrameKind::Sweep;
    case Command::Control:
        break;
    }
    switch (static_cast<ControlCode>(frame.nControlCode)) {
    case ControlCode::Close:
        return FrameKind::Close;
    case ControlCode::Pause:
        return FrameKind::Pause;
    case ControlCode::Continue:
        return FrameKind::Continue;
    }
    return std::nullopt;
}
