#include "support/run_until.h"

#include "support/probe_application.h"

#include <QEventLoop>
#include <QTimer>

bool RunUntil(CProbeApplication& app, const std::function<bool()>& done, int nTimeoutMs,
              const std::function<void()>& probe)
{
    if (done())
        return true;
    QEventLoop loop;
    app.SetProbe([&] {
        if (probe)
            probe();
        if (done())
            loop.quit();
    });
    QTimer::singleShot(nTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    app.SetProbe({});
    return done();
}

void RunFor(int nMsecs)
{
    QEventLoop loop;
    QTimer::singleShot(nMsecs, &loop, &QEventLoop::quit);
    loop.exec();
}
