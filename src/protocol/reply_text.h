#pragma once

#include <QByteArray>
#include <QString>

// 4F 4B, the board's answer to a frame it took.
inline constexpr int kAcknowledgementBytes = 2;

// The text form of received bytes: "%02X " per byte, so byte k sits at
// characters 3k and 3k+1 and every byte, the last too, is followed by a blank.
QString ReplyText(const QByteArray& bytes);

// Whether a reply text starts with the bytes 4F 4B ("OK"); the reply names
// no command, so any OK counts. Read as bytes, not as characters 0-1 and 3-4,
// so that the text still counts once a sweep watch has stripped its blanks.
bool IsAcknowledgement(const QString& strReply);

// The same test on the bytes themselves.
bool StartsWithAcknowledgement(const QByteArray& bytes);

// Whether bytes are the first byte of one of the board's two-byte answers
// alone, 4F of 4F 4B or 45 of 45 52: its second byte is still to come.
bool IsFirstAnswerByte(const QByteArray& bytes);

// Whether bytes are one whole answer, 4F 4B or 45 52, and nothing more.
bool IsWholeAnswer(const QByteArray& bytes);
