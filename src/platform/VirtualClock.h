#pragma once
#include "platform/Clock.h"

#include <map>
#include <vector>

namespace platform {

// Virtual time for tests. Time moves only when the code under test pauses or lets events run:
// runPendingEvents() handles queued Qt events, then jumps to the next timer tick, scheduled action
// or the caller's deadline, whichever is first, and fires what has fallen due. A pause moves time
// without firing anything; what fell due during it fires at the next runPendingEvents().
class VirtualClock : public Clock {
public:
    explicit VirtualClock(QDateTime start = QDateTime(QDate(2026, 12, 6), QTime(10, 0, 0)));
    ~VirtualClock() override;

    qint64 tickMs() const override { return now_; }
    QDateTime now() const override { return start_.addMSecs(now_); }
    void pause(int ms) override;
    void runPendingEvents(qint64 untilMs) override;
    std::unique_ptr<Timer> createTimer() override;

    // Runs action at tick ms (or at once if that has passed), the next time events are let run.
    void at(qint64 ms, std::function<void()> action);
    // Lets events run until the tick has reached ms.
    void advanceTo(qint64 ms);
    void advance(qint64 ms) { advanceTo(now_ + ms); }
    // How deeply runPendingEvents() calls are nested right now, and the most seen.
    int depth() const { return depth_; }
    int maxDepth() const { return maxDepth_; }
    int pendingActions() const { return static_cast<int>(actions_.size()); }

    // A replay shown at the pace of the wall clock: when set, runPendingEvents() calls it with a
    // tick before it lets virtual time reach that tick (before a jump forward, and before firing
    // what is due at the present tick), so that it can wait for the wall clock and let the window
    // system's events run meanwhile. Virtual time never goes back, whatever ran inside it.
    std::function<void(qint64 tickMs)> pace;

private:
    friend class VirtualTimer;
    struct Action {
        qint64 due;
        std::function<void()> fn;
    };
    class VirtualTimer;
    bool fireOneDue();
    qint64 nextDue() const;

    QDateTime start_;
    qint64 now_ = 0;
    quint64 seq_ = 0;
    std::multimap<std::pair<qint64, quint64>, std::function<void()>> actions_;
    std::vector<VirtualTimer*> timers_;
    int depth_ = 0;
    int maxDepth_ = 0;
};

} // namespace platform
