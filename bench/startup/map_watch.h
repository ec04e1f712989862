#pragma once

#include <QtGlobal>

#include <sys/types.h>

struct xcb_connection_t;

// Watches the X display for top-level windows being mapped.
class CMapWatch {
public:
    CMapWatch();
    ~CMapWatch();
    CMapWatch(const CMapWatch&) = delete;
    CMapWatch& operator=(const CMapWatch&) = delete;

    bool IsConnected() const;

    // Waits until a window of process nPid is mapped, and returns the
    // monotonic time the display told of it, or 0 after nTimeoutMs.
    qint64 WaitForWindowOf(pid_t nPid, int nTimeoutMs);

private:
    pid_t PidOfWindow(quint32 dwWindow);

    xcb_connection_t* m_pConnection = nullptr;
    quint32 m_dwPidAtom = 0;
};
