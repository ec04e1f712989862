#pragma once

#include <QtGlobal>

// CLOCK_MONOTONIC in nanoseconds: one time line for every process on the
// machine, so that a board in another process can be compared with the window.
qint64 MonotonicNs();

// User plus system CPU time this process has used, in nanoseconds.
qint64 ProcessCpuNs();
