#include "encoding/words.h"
#include "protocol/crc_text.h"
#include "protocol/frame.h"
#include "protocol/hex_text.h"

#include <benchmark/benchmark.h>

namespace {

// 1 V at 100 MHz, as the sending page composes it.
const QString kPointBody = QStringLiteral("A55A5AA5000119999999" "0FD75AA5A55A");
const QString kPointFrame = kPointBody + QStringLiteral("8CE9");

void CrcTextOfPointFrame(benchmark::State& state)
{
    for (auto _ : state) {
        QString strBody = kPointBody;
        benchmark::DoNotOptimize(strBody);
        benchmark::DoNotOptimize(CrcText(strBody));
    }
}
BENCHMARK(CrcTextOfPointFrame)->Name("CrcText");

void HexTextOfPointFrame(benchmark::State& state)
{
    QByteArray bytes;
    for (auto _ : state) {
        QString strFrame = kPointFrame;
        benchmark::DoNotOptimize(strFrame);
        benchmark::DoNotOptimize(HexTextToBytes(strFrame, bytes));
    }
}
BENCHMARK(HexTextOfPointFrame)->Name("HexTextToBytes");

void PointFrame(benchmark::State& state)
{
    quint32 dwWord = 0x19999999;
    int nAmplitude = 0x0FD7;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dwWord);
        benchmark::DoNotOptimize(nAmplitude);
        QString strFrame = ComposeFrame(0, QStringLiteral("01"), {{"tuning word", dwWord, 4}, {"amplitude word", nAmplitude, 2}});
        benchmark::DoNotOptimize(SealFrame(strFrame));
    }
}
BENCHMARK(PointFrame)->Name("ComposeFrame+SealFrame point");

void SweepFrame(benchmark::State& state)
{
    quint32 dwStart = 0x19999999;
    quint32 dwEnd = 0x4CCCCCCC;
    int nInterval = 5;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dwStart);
        benchmark::DoNotOptimize(dwEnd);
        benchmark::DoNotOptimize(nInterval);
        QString strFrame = ComposeFrame(0, QStringLiteral("03"),
                                        {{"start word", dwStart, 4},
                                         {"end word", dwEnd, 4},
                                         {"amplitude word", 0x0FFF, 2},
                                         {"step code", 7, 1},
                                         {"time interval", nInterval, 4},
                                         {"circular flag", 0, 1}});
        benchmark::DoNotOptimize(SealFrame(strFrame));
    }
}
BENCHMARK(SweepFrame)->Name("ComposeFrame+SealFrame sweep");

void ControlFrame(benchmark::State& state)
{
    int nCode = static_cast<int>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(nCode);
        QString strFrame = ComposeFrame(0, QStringLiteral("40"), {{"control code", nCode, 1}});
        benchmark::DoNotOptimize(SealFrame(strFrame));
    }
}
BENCHMARK(ControlFrame)->Name("ComposeFrame+SealFrame close")->Arg(0x80);
BENCHMARK(ControlFrame)->Name("ComposeFrame+SealFrame pause")->Arg(0x83);
BENCHMARK(ControlFrame)->Name("ComposeFrame+SealFrame continue")->Arg(0x84);

void Amplitude(benchmark::State& state)
{
    float fVolts = 1.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fVolts);
        benchmark::DoNotOptimize(AmplitudeToWord(fVolts, kSinglePointAmplitudeScale));
    }
}
BENCHMARK(Amplitude)->Name("AmplitudeToWord");

void TuningWord(benchmark::State& state)
{
    float fMegahertz = 100.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fMegahertz);
        benchmark::DoNotOptimize(FrequencyToTuningWord(fMegahertz));
    }
}
BENCHMARK(TuningWord)->Name("FrequencyToTuningWord");

void Frequency(benchmark::State& state)
{
    quint32 dwWord = 0x19999999;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dwWord);
        benchmark::DoNotOptimize(TuningWordToFrequency(dwWord));
    }
}
BENCHMARK(Frequency)->Name("TuningWordToFrequency");

} // namespace
