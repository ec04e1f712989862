#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP, or on Windows Ctrl+C, Ctrl+Break and the
// closing of the console, into a signal on the event loop while it exists, so
// that an interrupted program still ends in order: the port closes, the log
// says so, the tool prints its result. One at a time.
class CInterruptWatch : public QObject {
    Q_OBJECT

public:
    CInterruptWatch();
    ~CInterruptWatch() override;
    CInterruptWatch(const CInterruptWatch&) = delete;
    CInterruptWatch& operator=(const CInterruptWatch&) = delete;

Q_SIGNALS:
    void Interrupted();

private:
    // Where a signal handler's byte is read (POSIX).
    std::unique_ptr<QSocketNotifier> m_pNotifier;
};
