#pragma once

#include <QString>

// The board's end of a pseudo-terminal. It also holds the slave open, in raw
// mode: nothing is echoed before a client sets the port up, and a client
// closing and reopening the port never hangs the master up.
class CPseudoTerminal {
public:
    CPseudoTerminal() = default;
    CPseudoTerminal(const CPseudoTerminal&) = delete;
    CPseudoTerminal& operator=(const CPseudoTerminal&) = delete;
    ~CPseudoTerminal();

    // Opens a new pair, the master non-blocking. Returns false with strError set.
    bool Open(QString& strError);
    // The client then sees a hang-up.
    void Close();

    bool IsOpen() const;
    int MasterFd() const;
    QString SlavePath() const;

private:
    int m_nMasterFd = -1;
    int m_nSlaveFd = -1;
    QString m_strSlavePath;
};
