#pragma once

// What sets one acknowledgement watch apart from another.
struct WatchPolicy {
    int nPeriodMsecs;
    // Resends after the first frame. The watch gives up on the tick that
    // sends the last one, without waiting for its answer.
    int nMostResends;
    // A tick with no reply since the frame resends at once, or waits
    // without limit: the sweep watches count only refusals. A waiting watch
    // empties the reply text it reads with every frame it writes.
    bool bResendsOnSilence;
    // The sweep watches keep ticking after their answer, to show reports.
    bool bStopsWhenAcknowledged;
    // Close's resends all carry the count 00.
    bool bFramesCarryCount;
    // For a waiting watch: a frame with no reply at all for this long counts
    // as refused. 0 waits without limit, as the sweep page does; a program
    // driving the board must hear an answer in the end.
    int nSilenceMsecs = 0;
    // An acknowledgement ends the exchange as it arrives, and the last
    // frame's answer is awaited before a verdict; a program driving the board
    // needs no more. The window judges at its ticks instead.
    bool bJudgesOnArrival = false;
};

// The window's watch for a frame, for a program that learns of an
// acknowledgement when it arrives.
constexpr WatchPolicy OnArrival(WatchPolicy policy)
{
    policy.bJudgesOnArrival = true;
    return policy;
}

inline constexpr WatchPolicy kPointWatchPolicy{200, 6, true, true, true};
inline constexpr WatchPolicy kSweepWatchPolicy{50, 9, false, false, true};
inline constexpr WatchPolicy kCloseWatchPolicy{200, 9, true, true, false};
