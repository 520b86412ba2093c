#pragma once
#include "platform/Clock.h"

#include <QtGlobal>
#include <functional>

namespace platform {

// The counters every timed wait shares (they live in the radio state, so nested waits see and
// overwrite each other's values, as they always have).
struct WaitCounters {
    qint32 SecondsCounter = 0; // whole seconds counted in the wait; 1 at its start
    qint64 WaitStart = 0;      // tick of the wait's start or of its last one-second step
    qint64 WaitNow = 0;        // latest tick read inside the wait
};

// The period of the shared one-shot wait timer for every wait but the reply alarm and power-off.
constexpr int kWaitPeriodMs = 5000;

// The one timed wait of the program. Enables the shared one-shot `timer` with `periodMs` (which
// starts its period afresh, also for every wait below this one on the stack), sets SecondsCounter
// to 1, then, until the timer's tick has switched it off: lets window events run (blocking on the
// event queue, never spinning) and, each time a second has passed since the last step while the
// timer still runs, calls `step`, takes a fresh WaitStart and adds 1 to SecondsCounter.
// `stopEarly`, when given, ends the wait as soon as it returns true (a hold key let go).
// Handlers that run inside the wait run to their end before the wait looks at the timer again.
// Afterwards the timer's period is 5000 ms again.
void timedWait(Clock& clock, Timer& timer, int periodMs, WaitCounters& counters,
               const std::function<void()>& step, const std::function<bool()>& stopEarly = {});

} // namespace platform
