#pragma once

#include "board/virtual_board.h"

#include <QList>

// The wire log as the board saw it, for the test output.
void PrintWireLog(const QList<ReceivedFrame>& frames);
