#include "platform/Wait.h"

namespace platform {

void timedWait(Clock& clock, Timer& timer, int periodMs, WaitCounters& c,
               const std::function<void()>& step, const std::function<bool()>& stopEarly) {
    auto stopped = [&] { return !timer.isEnabled() || (stopEarly && stopEarly()); };
    timer.setInterval(periodMs);
    timer.setEnabled(true);
    c.SecondsCounter = 1;
    c.WaitStart = clock.tickMs();
    while (!stopped()) {
        clock.runPendingEvents(c.WaitStart + 1000);
        c.WaitNow = clock.tickMs();
        if (stopped()) break;
        if (c.WaitNow - c.WaitStart >= 1000) {
            if (step) step();
            c.WaitStart = clock.tickMs();
            ++c.SecondsCounter;
        }
    }
    if (!timer.isEnabled()) timer.setInterval(kWaitPeriodMs);
}

} // namespace platform
