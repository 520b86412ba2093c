#include "platform/Wait.h"

namespace platform {

void timedWait(Clock& clock, Timer& timer, int periodMs, WaitCounters& c,
               const std::function<void()>& step, const std::function<bool()>& stopEarly) {
    auto stopped = [&] { return !timer.isEnabled() || (stopEarly && stopEarly()); };
    timer.setInterval(periodMs);
    timer.setEnabled(true);
    c.SecondsCounter = 1;
    c.WaitStart = clock.tickMs();
    bool periodOver = false;
    while (!stopped()) {
        // Once the period has run out, only its tick is awaited (it is on its way).
        clock.runPendingEvents(periodOver ? clock.tickMs() + 1 : c.WaitStart + 1000);
        c.WaitNow = clock.tickMs();
        if (stopped()) break;
        periodOver = false;
        if (c.WaitNow - c.WaitStart >= 1000) {
            // A second that ends with the period is no step of it: on a real clock the period's
            // tick and the step's wake-up can fall in the same millisecond and come in either
            // order, and the count must not show a fifth second of a five-second wait. (What is
            // left of the period is rounded up to whole milliseconds.)
            if (timer.remainingMs() <= 1) {
                periodOver = true;
                continue;
            }
            if (step) step();
            c.WaitStart = clock.tickMs();
            ++c.SecondsCounter;
        }
    }
    if (!timer.isEnabled()) timer.setInterval(kWaitPeriodMs);
}

} // namespace platform
