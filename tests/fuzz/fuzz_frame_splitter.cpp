#include "board/frame_splitter.h"
#include "fuzz_check.h"
#include "protocol/crc_text.h"
#include "protocol/frame.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace {

const QByteArray kHeader = QByteArray::fromHex("A55A5AA5");
const QByteArray kTrailer = QByteArray::fromHex("5AA5A55A");

QList<QByteArray> GoodFrames(const QList<SplitFrame>& frames)
{
    QList<QByteArray> good;
    for (const SplitFrame& frame : frames) {
        if (frame.verdict == SplitFrame::Verdict::Good)
            good.append(frame.bytes);
    }
    return good;
}

} // namespace

// The first byte sets how the rest is cut into chunks. Every good frame is
// well formed, and cutting the stream differently finds the same frames.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t nSize)
{
    if (nSize == 0)
        return 0;
    const int nChunk = 1 + pData[0] % 16;
    const QByteArray stream(reinterpret_cast<const char*>(pData + 1), static_cast<qsizetype>(nSize - 1));

    CFrameSplitter whole;
    QList<SplitFrame> wholeFrames = whole.Feed(stream);
    wholeFrames += whole.Flush();

    CFrameSplitter chunked;
    QList<SplitFrame> chunkedFrames;
    for (qsizetype i = 0; i < stream.size(); i += nChunk)
        chunkedFrames += chunked.Feed(stream.mid(i, nChunk));
    chunkedFrames += chunked.Flush();
    FUZZ_CHECK(!chunked.HasPartialFrame());

    const QList<QByteArray> good = GoodFrames(wholeFrames);
    FUZZ_CHECK(good == GoodFrames(chunkedFrames));
    qsizetype nGoodBytes = 0;
    for (const QByteArray& frame : good) {
        nGoodBytes += frame.size();
        FUZZ_CHECK(frame.size() >= 13);
        FUZZ_CHECK(frame.startsWith(kHeader));
        FUZZ_CHECK(frame.size() == FrameLengthForCommand(static_cast<unsigned char>(frame[5])));
        FUZZ_CHECK(frame.mid(frame.size() - 6, 4) == kTrailer);
        const quint16 crc = Crc16Arc(frame.left(frame.size() - 2));
        FUZZ_CHECK(static_cast<std::uint8_t>(frame[frame.size() - 2]) == crc >> 8);
        FUZZ_CHECK(static_cast<std::uint8_t>(frame[frame.size() - 1]) == (crc & 0xFF));
        FUZZ_CHECK(stream.contains(frame));
    }
    FUZZ_CHECK(nGoodBytes <= stream.size());
    return 0;
}
