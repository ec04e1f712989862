#include "board/board_transport.h"

#include "board/in_process_line.h"

#ifndef Q_OS_WIN
#include "board/pty_transport.h"
#endif

std::unique_ptr<CBoardTransport> MakeBoardTransport(BoardLineKind kind)
{
#ifdef Q_OS_WIN
    Q_UNUSED(kind)
    return std::make_unique<CInProcessLine>();
#else
    if (kind == BoardLineKind::InProcess)
        return std::make_unique<CInProcessLine>();
    return std::make_unique<CPtyTransport>();
#endif
}
