#pragma once

#include <QApplication>

#include <functional>
#include <utility>

// A QApplication that runs a probe after every event it delivers, so that a
// change the program makes (a stopped timer, a new text) is timed the moment
// the handler that made it returns, without polling and without touching the
// program. The probe runs on the GUI thread only.
class CProbeApplication : public QApplication {
public:
    using QApplication::QApplication;

    void SetProbe(std::function<void()> probe) { m_probe = std::move(probe); }

    bool notify(QObject* pReceiver, QEvent* pEvent) override;

private:
    std::function<void()> m_probe;
};
