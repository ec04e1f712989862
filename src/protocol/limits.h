#pragma once

// What the board accepts, in the operator's units. Each page compares its
// values with these its own way: the sending page the integer part, the
// sweep page the value itself.
inline constexpr int kLowestAmplitudeVolts = 0;
inline constexpr int kHighestAmplitudeVolts = 4;
inline constexpr int kLowestFrequencyMHz = 10;
inline constexpr int kHighestFrequencyMHz = 400;
