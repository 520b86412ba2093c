#pragma once
#include "platform/Clock.h"
#include <QDateTime>
#include <QElapsedTimer>

namespace platform {

// The computer's own clock and the Qt event loop, optionally run faster (or slower) than real time:
// at speed N the tick and the date and time advance N milliseconds per real millisecond from the
// clock's start, timers fire after interval/N real milliseconds, pauses and event waits last 1/N of
// their length. Everything the radio times goes through the clock, so the whole trainer runs N
// times as fast (a lesson replayed at speed 20, a five-second key hold in a quarter second).
class RealClock : public Clock {
public:
    static constexpr double kMinSpeed = 0.1;
    static constexpr double kMaxSpeed = 100.0;

    explicit RealClock(double speed = 1.0);
    double speed() const { return speed_; }

    qint64 tickMs() const override;
    QDateTime now() const override;
    void pause(int ms) override;
    void runPendingEvents(qint64 untilMs) override;
    std::unique_ptr<Timer> createTimer() override;

    // Real milliseconds that clockMs of this clock take, rounded up (so that a wake-up after them
    // finds the tick at least clockMs further on).
    qint64 realMs(qint64 clockMs) const;
    // Clock milliseconds that realNs real nanoseconds make, rounded down.
    qint64 clockMs(qint64 realNs) const;

    // A timer of this clock. Its interval and remaining time are clock milliseconds; the Qt timer
    // beneath runs on real ones.
    class RealTimer : public Timer {
    public:
        explicit RealTimer(const RealClock& clock);
        ~RealTimer() override;
        void setInterval(int ms) override;
        int interval() const override { return interval_; }
        void setEnabled(bool on) override;
        bool isEnabled() const override;
        int remainingMs() const override;
        // The real period of the Qt timer beneath.
        int realIntervalMs() const;

    private:
        struct Impl;
        const RealClock& clock_;
        std::unique_ptr<Impl> d;
        int interval_ = 0;
        qint64 startedNs_ = 0; // clock nanoseconds at the start of the running period
    };

private:
    qint64 clockNs() const;

    double speed_;
    QElapsedTimer elapsed_;
    QDateTime start_; // the real date and time at the clock's start
};

} // namespace platform
