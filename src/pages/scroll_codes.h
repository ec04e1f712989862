#pragma once

#include <QScrollBar>

#include <functional>

// The scroll codes both pages handle, in the order of their enums.
enum ScrollCode { kLineLeft, kLineRight, kPageLeft, kPageRight, kThumbTrack, kThumbPosition, kLeftEnd, kRightEnd, kEndScroll };

// Calls handler(code, thumb position) for every action on the bar, and with
// kEndScroll when the thumb is let go. The handler sets the position itself.
void ConnectScrollCodes(QScrollBar* pBar, QObject* pContext, std::function<void(ScrollCode, int)> handler);

// The position a code moves to from nPos, before clamping to the range.
int ScrolledPosition(int nPos, ScrollCode nCode, int nThumbPos);
