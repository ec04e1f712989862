#include "board/frame_splitter.h"

#include "protocol/crc_text.h"
#include "protocol/frame.h"

namespace {

const QByteArray g_header = QByteArray::fromHex("A55A5AA5");
const QByteArray g_trailer = QByteArray::fromHex("5AA5A55A");

quint16 CrcAtEnd(const QByteArray& frame)
{
    const qsizetype n = frame.size();
    return static_cast<quint16>((static_cast<quint8>(frame[n - 2]) << 8) | static_cast<quint8>(frame[n - 1]));
}

} // namespace

QString VerdictText(SplitFrame::Verdict verdict)
{
    switch (verdict) {
    case SplitFrame::Verdict::Good:
        return QStringLiteral("good");
    case SplitFrame::Verdict::BadCrc:
        return QStringLiteral("bad CRC");
    case SplitFrame::Verdict::BadTrailer:
        return QStringLiteral("bad trailer");
    case SplitFrame::Verdict::UnknownCommand:
        return QStringLiteral("unknown command");
    case SplitFrame::Verdict::Truncated:
        return QStringLiteral("truncated");
    }
    return QString();
}

QList<SplitFrame> CFrameSplitter::Feed(const QByteArray& bytes)
{
    m_pending += bytes;
    QList<SplitFrame> frames;
    for (;;) {
        DropNoise();
        if (m_pending.size() < kFrameHeadBytes)
            break;
        const int nLength = FrameLengthForCommand(static_cast<unsigned char>(m_pending[kFrameHeadBytes - 1]));
        if (nLength == 0) {
            frames.append(Reject(kFrameHeadBytes, SplitFrame::Verdict::UnknownCommand));
            continue;
        }
        if (m_pending.size() < nLength)
            break;
        const QByteArray frame = m_pending.left(nLength);
        if (frame.mid(nLength - kFrameTailBytes, g_trailer.size()) != g_trailer) {
            frames.append(Reject(nLength, SplitFrame::Verdict::BadTrailer));
            continue;
        }
        if (Crc16Arc(frame.left(nLength - 2)) != CrcAtEnd(frame)) {
            frames.append(Reject(nLength, SplitFrame::Verdict::BadCrc));
            continue;
        }
        frames.append({frame, SplitFrame::Verdict::Good});
        m_pending.remove(0, nLength);
    }
    return frames;
}

QList<SplitFrame> CFrameSplitter::Flush()
{
    QList<SplitFrame> frames;
    // Whole frames may wait behind the cut one, for a longer one's bytes.
    while (HasPartialFrame()) {
        const qsizetype nNext = m_pending.indexOf(g_header, g_header.size());
        frames.append(Reject(nNext >= 0 ? nNext : m_pending.size(), SplitFrame::Verdict::Truncated));
        frames += Feed(QByteArray());
    }
    m_pending.clear();
    return frames;
}

bool CFrameSplitter::HasPartialFrame() const
{
    return m_pending.startsWith(g_header);
}

void CFrameSplitter::DropNoise()
{
    const qsizetype nHeader = m_pending.indexOf(g_header);
    if (nHeader >= 0) {
        m_pending.remove(0, nHeader);
        return;
    }
    // A header may be arriving: keep the longest tail that begins one.
    qsizetype nKeep = qMin(m_pending.size(), g_header.size() - 1);
    while (nKeep > 0 && !g_header.startsWith(m_pending.right(nKeep)))
        --nKeep;
    m_pending = m_pending.right(nKeep);
}

SplitFrame CFrameSplitter::Reject(qsizetype nShown, SplitFrame::Verdict verdict)
{
    SplitFrame frame{m_pending.left(nShown), verdict};
    // A good frame may begin anywhere after the bad one's header.
    m_pending.remove(0, g_header.size());
    return frame;
}
