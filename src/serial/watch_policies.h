#pragma once

// What sets one acknowledgement watch apart from another.
struct WatchPolicy {
    int nPeriodMsecs;
    // Resends after the first frame. The watch gives up on the tick that
    // sends the last one, without waiting for its answer.
    int nMostResends;
    // A tick with no reply since the frame resends at once, or waits
    // without limit: the sweep watches count only refusals. A waiting watch
    // empties g_strReply with every frame it writes.
    bool bResendsOnSilence;
    // The sweep watches keep ticking after their answer, to show reports.
    bool bStopsWhenAcknowledged;
    // Close's resends all carry the count 00.
    bool bFramesCarryCount;
};

inline constexpr WatchPolicy kPointWatchPolicy{200, 6, true, true, true};
inline constexpr WatchPolicy kSweepWatchPolicy{50, 9, false, false, true};
inline constexpr WatchPolicy kCloseWatchPolicy{200, 9, true, true, false};
