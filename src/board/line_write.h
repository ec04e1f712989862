#pragma once

#include <QByteArray>

#include <functional>

// Where the board's bytes go: returns how many the line took, 0 while it is
// full, -1 once it is gone. Empty when there is no line.
using LineWrite = std::function<qint64(const QByteArray& bytes)>;

// A write to a descriptor, such as a pseudo-terminal's master, in those terms.
qint64 WriteToFd(int nFd, const QByteArray& bytes);
// Writes to a descriptor that the caller keeps open.
LineWrite FdLineWrite(int nFd);
