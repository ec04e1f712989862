// The board side of the report stream, a process of its own so that its CPU
// time is not the window's: it answers the sweep frame with 4F 4B, then writes
// one 4-byte report every 4.17 ms (the line time of 4 bytes at 9600 baud, so
// the line never rests) for the given time. Once a line arrives on standard
// input it prints when it wrote each report and exits.
#include "board/frame_splitter.h"
#include "board/pseudo_terminal.h"
#include "protocol/commands.h"
#include "stream/report_words.h"
#include "support/clock.h"

#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kReportBytes = 4;
constexpr qint64 kLineNsPerReport = kReportBytes * 10 * 1000000000LL / 9600;
// Lets the scan watch read the 4F 4B before the first report replaces it.
constexpr qint64 kQuietAfterAckNs = 300 * 1000000LL;
constexpr int kFrameTimeoutMs = 30000;

struct Counts {
    int nFrames = 0;
    int nBlockedWrites = 0;
};

// Reads what has arrived and answers every good frame with 4F 4B unless asked
// to stay quiet; returns whether a sweep frame was among them.
bool TakeFrames(int nFd, CFrameSplitter& splitter, bool bAnswer, Counts& counts)
{
    char buffer[256];
    bool bSweep = false;
    for (;;) {
        const ssize_t nRead = ::read(nFd, buffer, sizeof buffer);
        if (nRead <= 0)
            break;
        for (const SplitFrame& frame : splitter.Feed(QByteArray(buffer, nRead))) {
            ++counts.nFrames;
            if (frame.verdict != SplitFrame::Verdict::Good)
                continue;
            bSweep = bSweep || static_cast<Command>(frame.bytes[5]) == Command::Sweep;
            if (bAnswer && ::write(nFd, "\x4F\x4B", 2) != 2)
                std::fprintf(stderr, "bench_stream_board: cannot answer a frame\n");
        }
    }
    return bSweep;
}

void WriteAll(int nFd, const char* pBytes, int nBytes, Counts& counts)
{
    int nDone = 0;
    while (nDone < nBytes) {
        const ssize_t nWritten = ::write(nFd, pBytes + nDone, static_cast<size_t>(nBytes - nDone));
        if (nWritten > 0) {
            nDone += static_cast<int>(nWritten);
            continue;
        }
        if (nWritten < 0 && errno != EAGAIN && errno != EINTR)
            return;
        // The window has not taken what is already there: a backlog.
        ++counts.nBlockedWrites;
        pollfd out{nFd, POLLOUT, 0};
        ::poll(&out, 1, 100);
    }
}

void SleepUntil(qint64 nNs)
{
    const timespec until{static_cast<time_t>(nNs / 1000000000), static_cast<long>(nNs % 1000000000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

} // namespace

int main(int argc, char* argv[])
{
    double dSeconds = 60;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            dSeconds = std::atof(argv[++i]);
    }
    CPseudoTerminal terminal;
    QString strError;
    if (!terminal.Open(strError)) {
        std::fprintf(stderr, "bench_stream_board: %s\n", qPrintable(strError));
        return 1;
    }
    std::printf("pty %s\n", qPrintable(terminal.SlavePath()));
    std::fflush(stdout);

    const int nFd = terminal.MasterFd();
    CFrameSplitter splitter;
    Counts counts;
    pollfd in{nFd, POLLIN, 0};
    bool bSweep = false;
    while (!bSweep) {
        if (::poll(&in, 1, kFrameTimeoutMs) <= 0) {
            std::fprintf(stderr, "bench_stream_board: no sweep frame came\n");
            return 1;
        }
        bSweep = TakeFrames(nFd, splitter, true, counts);
    }
    const qint64 nStartNs = MonotonicNs() + kQuietAfterAckNs;
    while (MonotonicNs() < nStartNs) {
        if (::poll(&in, 1, 10) > 0)
            TakeFrames(nFd, splitter, true, counts);
    }

    const int nFramesBefore = counts.nFrames;
    const auto nReports = static_cast<qint64>(dSeconds * 1e9 / kLineNsPerReport);
    std::vector<qint64> writtenNs;
    writtenNs.reserve(static_cast<size_t>(nReports));
    for (qint64 k = 0; k < nReports; ++k) {
        SleepUntil(nStartNs + k * kLineNsPerReport);
        char bytes[kReportBytes];
        qToBigEndian(StreamReportWord(k), bytes);
        WriteAll(nFd, bytes, kReportBytes, counts);
        writtenNs.push_back(MonotonicNs());
        TakeFrames(nFd, splitter, false, counts);
    }

    char line[16];
    if (!std::fgets(line, sizeof line, stdin))
        return 1;
    for (size_t k = 0; k < writtenNs.size(); ++k)
        std::printf("report %zu %lld\n", k, static_cast<long long>(writtenNs[k]));
    std::printf("frames-during-stream %d\nblocked-writes %d\n", counts.nFrames - nFramesBefore, counts.nBlockedWrites);
    return 0;
}
