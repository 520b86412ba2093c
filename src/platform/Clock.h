#pragma once
// Time for the whole trainer: a monotonic millisecond tick, the local date and time, blocking
// pauses, interval timers and "let pending window events run". The program uses RealClock; the
// tests use VirtualClock, on which a 60-second wait takes no wall-clock time at all.
#include <QDateTime>
#include <QString>
#include <functional>
#include <memory>

namespace platform {

// An interval timer in the manner of the old window timers: while enabled it calls onTick every
// interval. Enabling it (even when it already runs) or changing its interval while it runs starts
// its period afresh. Ticks are delivered only while window events are processed.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool on) = 0;
    virtual bool isEnabled() const = 0;
    // Milliseconds left of the running period: 0 when the timer is off, and also once the period
    // has run out while its tick has not been delivered yet.
    virtual int remainingMs() const = 0;
    std::function<void()> onTick;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds from an arbitrary start; never jumps, never wraps.
    virtual qint64 tickMs() const = 0;
    // Local date and time of the computer.
    virtual QDateTime now() const = 0;
    // Blocks for ms milliseconds without handling any window event: input that arrives meanwhile
    // is handled afterwards.
    virtual void pause(int ms) = 0;
    // Lets pending window events (clicks, keys, timer ticks) run. Blocks until at least one event
    // was handled or the tick reaches untilMs, whichever comes first; returns at once when untilMs
    // has passed. Never busy-waits.
    virtual void runPendingEvents(qint64 untilMs) = 0;
    virtual std::unique_ptr<Timer> createTimer() = 0;
};

} // namespace platform
