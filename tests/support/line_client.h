#pragma once

#include <QByteArray>
#include <QList>
#include <QSocketNotifier>
#include <QString>

#include <memory>

// The client's end of the line, opened with plain POSIX calls. Each read
// is kept as one chunk: messages the board wrote apart arrive apart.
class CLineClient {
public:
    CLineClient() = default;
    CLineClient(const CLineClient&) = delete;
    CLineClient& operator=(const CLineClient&) = delete;
    ~CLineClient() { Close(); }

    // bRaw false leaves the port as the board set it up.
    bool Open(const QString& strPath, bool bRaw = true);
    void Close();

    bool Write(const QByteArray& bytes);
    int WriteErrno() const { return m_nWriteErrno; }

    QList<QByteArray> Chunks() const { return m_chunks; }
    QByteArray Received() const { return m_chunks.join(); }
    bool HasHungUp() const { return m_bHungUp; }

private:
    bool MakeRaw();
    void OnReadable();

    int m_nFd = -1;
    int m_nWriteErrno = 0;
    std::unique_ptr<QSocketNotifier> m_pNotifier;
    QList<QByteArray> m_chunks;
    bool m_bHungUp = false;
};
