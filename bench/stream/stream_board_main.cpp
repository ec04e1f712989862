// The board side of the report stream, a process of its own so that its CPU
// time is not the window's: it answers the sweep frame with 4F 4B, then writes
// one 4-byte report every 4.17 ms (the line time of 4 bytes at 9600 baud, so
// the line never rests) for the given time. With --adapter-latency its output
// goes through a USB-serial adapter that holds it that long. Once a line
// arrives on standard input it prints when each report was whole at the
// window's side and exits.
#include "board/frame_splitter.h"
#include "board/pseudo_terminal.h"
#include "protocol/commands.h"
#include "stream/report_words.h"
#include "stream/stream_line.h"
#include "support/clock.h"
#include "support/options.h"

#include <QCoreApplication>
#include <QtEndian>

#include <cstdio>
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
bool TakeFrames(int nFd, CStreamLine& line, CFrameSplitter& splitter, bool bAnswer, Counts& counts)
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
            if (bAnswer && !line.Answer(QByteArrayLiteral("\x4F\x4B")))
                std::fprintf(stderr, "bench_stream_board: cannot answer a frame\n");
        }
    }
    return bSweep;
}

} // namespace

int main(int argc, char* argv[])
{
    // For the adapter's timers and the command line.
    QCoreApplication app(argc, argv);
    CBenchOptions options;
    options.AddSeconds();
    options.AddAdapterLatency();
    options.Process(QCoreApplication::arguments());
    const double dSeconds = options.Seconds();
    const int nLatencyMs = options.AdapterLatencyMs();
    CPseudoTerminal terminal;
    QString strError;
    if (!terminal.Open(strError)) {
        std::fprintf(stderr, "bench_stream_board: %s\n", qPrintable(strError));
        return 1;
    }
    std::printf("pty %s\n", qPrintable(terminal.SlavePath()));
    std::fflush(stdout);

    const int nFd = terminal.MasterFd();
    CStreamLine line(nFd, nLatencyMs);
    CFrameSplitter splitter;
    Counts counts;
    bool bSweep = false;
    while (!bSweep) {
        if (!line.WaitForInput(kFrameTimeoutMs)) {
            std::fprintf(stderr, "bench_stream_board: no sweep frame came\n");
            return 1;
        }
        bSweep = TakeFrames(nFd, line, splitter, true, counts);
    }
    const qint64 nStartNs = MonotonicNs() + kQuietAfterAckNs;
    while (MonotonicNs() < nStartNs) {
        if (line.WaitForInput(10))
            TakeFrames(nFd, line, splitter, true, counts);
    }

    const int nFramesBefore = counts.nFrames;
    const auto nReports = static_cast<qint64>(dSeconds * 1e9 / kLineNsPerReport);
    std::vector<qint64> writtenNs;
    writtenNs.reserve(static_cast<size_t>(nReports));
    for (qint64 k = 0; k < nReports; ++k) {
        line.WaitUntil(nStartNs + qMax<qint64>(0, k - line.ReportsAhead()) * kLineNsPerReport);
        QByteArray bytes(kReportBytes, Qt::Uninitialized);
        qToBigEndian(StreamReportWord(k), bytes.data());
        counts.nBlockedWrites += line.WriteReport(bytes);
        writtenNs.push_back(line.WholeAtNs());
        TakeFrames(nFd, line, splitter, false, counts);
    }
    line.Flush();

    char endLine[16];
    if (!std::fgets(endLine, sizeof endLine, stdin))
        return 1;
    for (size_t k = 0; k < writtenNs.size(); ++k)
        std::printf("report %zu %lld\n", k, static_cast<long long>(writtenNs[k]));
    std::printf("frames-during-stream %d\nblocked-writes %d\n", counts.nFrames - nFramesBefore, counts.nBlockedWrites);
    return 0;
}
