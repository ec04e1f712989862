#include "board/interrupt_watch.h"

#include <QSocketNotifier>

#include <mutex>
#include <windows.h>

namespace {

// The watch, while it exists; the lock keeps it from going while a handler
// posts to it.
std::mutex g_watchLock;
CInterruptWatch* g_pWatch = nullptr;

bool PostInterrupted()
{
    const std::lock_guard<std::mutex> lock(g_watchLock);
    if (!g_pWatch)
        return false;
    QMetaObject::invokeMethod(g_pWatch, &CInterruptWatch::Interrupted, Qt::QueuedConnection);
    return true;
}

// Runs on a thread of the system's own; the event loop hears of it through
// a queued call, which may be posted from any thread.
BOOL WINAPI OnConsoleControl(DWORD dwType)
{
    switch (dwType) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return PostInterrupted() ? TRUE : FALSE;
    case CTRL_CLOSE_EVENT:
        if (!PostInterrupted())
            return FALSE;
        // The system ends the process once this returns: wait here while the
        // program ends itself, within the few seconds the system grants.
        ::Sleep(INFINITE);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

CInterruptWatch::CInterruptWatch()
{
    {
        const std::lock_guard<std::mutex> lock(g_watchLock);
        g_pWatch = this;
    }
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

CInterruptWatch::~CInterruptWatch()
{
    ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    const std::lock_guard<std::mutex> lock(g_watchLock);
    g_pWatch = nullptr;
}
