#pragma once

#include "app/drivers_control_dlg.h"
#include "latency/board_thread.h"

#include <QObject>
#include <QStringList>

#include <memory>

class CProbeApplication;

// The real main window, offscreen, on the virtual board over a
// pseudo-terminal, the board on its own thread; message boxes are noted
// instead of shown.
class CLatencySession {
public:
    explicit CLatencySession(CProbeApplication& app);
    ~CLatencySession();
    CLatencySession(const CLatencySession&) = delete;
    CLatencySession& operator=(const CLatencySession&) = delete;

    // Returns false with strError set.
    bool Start(QString& strError);

    CProbeApplication& App() { return m_app; }
    CBoardThread& Board() { return m_board; }
    CDriversControlDlg& Window() { return *m_pWindow; }
    // Woken by every stamp of the board; a context for the window's thread.
    QObject& Wake() { return m_wake; }
    QStringList Messages() const { return m_messages; }

    // Click Close and wait until Scan can be pressed again.
    bool ReturnToIdle();

private:
    CProbeApplication& m_app;
    QObject m_wake;
    CBoardThread m_board;
    std::unique_ptr<CDriversControlDlg> m_pWindow;
    QStringList m_messages;
};
