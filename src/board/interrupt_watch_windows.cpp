#include "board/interrupt_watch.h"

#include <QSocketNotifier>

#include <atomic>
#include <windows.h>

namespace {

std::atomic<CInterruptWatch*> g_pWatch{nullptr};

// Runs on a thread of the system's own; the event loop hears of it through
// a queued call, which may be posted from any thread.
BOOL WINAPI OnConsoleControl(DWORD dwType)
{
    CInterruptWatch* pWatch = g_pWatch.load();
    if (!pWatch || (dwType != CTRL_C_EVENT && dwType != CTRL_BREAK_EVENT))
        return FALSE;
    QMetaObject::invokeMethod(pWatch, &CInterruptWatch::Interrupted, Qt::QueuedConnection);
    return TRUE;
}

} // namespace

CInterruptWatch::CInterruptWatch()
{
    g_pWatch.store(this);
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

CInterruptWatch::~CInterruptWatch()
{
    ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    g_pWatch.store(nullptr);
}
