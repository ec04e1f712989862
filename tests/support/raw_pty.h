#pragma once

#include <QByteArray>
#include <QString>

// The far end of a pseudo-terminal, driven by hand, for tests that need
// exact control over what arrives on the line and when.
class RawPty {
public:
    RawPty();
    ~RawPty();
    RawPty(const RawPty&) = delete;
    RawPty& operator=(const RawPty&) = delete;

    bool IsOpen() const { return m_nMaster >= 0; }
    QString SlavePath() const { return m_strSlavePath; }

    void Write(const QByteArray& bytes);
    // Everything the program has written so far.
    QByteArray ReadAvailable();
    // Baud rate of the line as the program configured it.
    int OutputBaud() const;
    void Close();

private:
    int m_nMaster = -1;
    int m_nSlaveKeeper = -1;
    QString m_strSlavePath;
};
