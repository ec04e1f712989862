#include "board/line_write.h"

#include <cerrno>
#include <unistd.h>

qint64 WriteToFd(int nFd, const QByteArray& bytes)
{
    const auto nWritten = ::write(nFd, bytes.constData(), static_cast<size_t>(bytes.size()));
    if (nWritten >= 0)
        return nWritten;
    // A full pseudo-terminal drains as the client reads.
    return errno == EAGAIN || errno == EINTR ? 0 : -1;
}

LineWrite FdLineWrite(int nFd)
{
    return [nFd](const QByteArray& bytes) { return WriteToFd(nFd, bytes); };
}
