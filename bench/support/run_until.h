#pragma once

#include <functional>

class CProbeApplication;

// Runs the event loop until done() holds, checked after every event, or the
// time is up; returns done(). A plain wait that sleeps between checks would
// hold back the very timers being measured. The probe, if given, runs after
// every event first.
bool RunUntil(CProbeApplication& app, const std::function<bool()>& done, int nTimeoutMs,
              const std::function<void()>& probe = {});

// Runs the event loop for a while, with nothing but the program's own work.
void RunFor(int nMsecs);
