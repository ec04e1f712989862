#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What the board made of a stretch of the incoming byte stream.
struct SplitFrame {
    enum class Verdict { Good, BadCrc, BadTrailer, UnknownCommand, Truncated };
    QByteArray bytes;  // the frame's bytes, or the bytes dropped for a bad one
    Verdict verdict = Verdict::Good;
};

QString VerdictText(SplitFrame::Verdict verdict);

// Splits a byte stream into frames: header A5 5A 5A A5, retry count, command,
// payload, trailer 5A A5 A5 5A and CRC, the length given by the command.
// Bytes before a header are noise and are dropped silently. A frame whose
// trailer or CRC is wrong, or whose command is unknown, is reported and the
// search resumes after its header, so a good frame behind it is still found.
class CFrameSplitter {
public:
    // Appends bytes and returns every frame (good or bad) now complete.
    QList<SplitFrame> Feed(const QByteArray& bytes);

    // Ends a frame that stopped arriving: returns it as Truncated, if any.
    QList<SplitFrame> Flush();

    bool HasPartialFrame() const;

private:
    void DropNoise();
    SplitFrame Reject(qsizetype nShown, SplitFrame::Verdict verdict);

    QByteArray m_pending;
};
