#include "encoding/words.h"
#include "protocol/crc_text.h"
#include "protocol/frame.h"
#include "protocol/frame_builders.h"
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

void SealedPointFrame(benchmark::State& state)
{
    quint32 dwWord = 0x19999999;
    int nAmplitude = 0x0FD7;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dwWord);
        benchmark::DoNotOptimize(nAmplitude);
        QString strFrame = PointFrame(0, dwWord, nAmplitude);
        benchmark::DoNotOptimize(SealFrame(strFrame));
    }
}
BENCHMARK(SealedPointFrame)->Name("ComposeFrame+SealFrame point");

void SealedSweepFrame(benchmark::State& state)
{
    SweepFrameFields fields;
    fields.dwStartWord = 0x19999999;
    fields.dwEndWord = 0x4CCCCCCC;
    fields.nAmplitudeWord = 0x0FFF;
    fields.nStepCode = 7;
    fields.nIntervalCount = 5;
    for (auto _ : state) {
        benchmark::DoNotOptimize(fields);
        QString strFrame = SweepFrame(0, fields);
        benchmark::DoNotOptimize(SealFrame(strFrame));
    }
}
BENCHMARK(SealedSweepFrame)->Name("ComposeFrame+SealFrame sweep");

template <QString (*Build)(int)>
void SealedControlFrame(benchmark::State& state)
{
    int nRetry = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(nRetry);
        QString strFrame = Build(nRetry);
        benchmark::DoNotOptimize(SealFrame(strFrame));
    }
}
BENCHMARK(SealedControlFrame<CloseFrame>)->Name("ComposeFrame+SealFrame close");
BENCHMARK(SealedControlFrame<PauseFrame>)->Name("ComposeFrame+SealFrame pause");
BENCHMARK(SealedControlFrame<ContinueFrame>)->Name("ComposeFrame+SealFrame continue");

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
