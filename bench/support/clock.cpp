#include "support/clock.h"

#include <sys/resource.h>
#include <time.h>

qint64 MonotonicNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<qint64>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

qint64 ProcessCpuNs()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto toNs = [](const timeval& tv) { return static_cast<qint64>(tv.tv_sec) * 1000000000 + tv.tv_usec * 1000; };
    return toNs(usage.ru_utime) + toNs(usage.ru_stime);
}
