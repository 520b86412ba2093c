#include "platform/VirtualClock.h"

#include <QCoreApplication>
#include <algorithm>
#include <limits>

namespace platform {

class VirtualClock::VirtualTimer : public Timer {
public:
    explicit VirtualTimer(VirtualClock* clock) : clock_(clock) { clock_->timers_.push_back(this); }
    ~VirtualTimer() override {
        if (clock_) {
            auto& v = clock_->timers_;
            v.erase(std::remove(v.begin(), v.end(), this), v.end());
        }
    }
    void setInterval(int ms) override {
        interval_ = std::max(ms, 0);
        if (enabled_) restart();
    }
    int interval() const override { return interval_; }
    void setEnabled(bool on) override {
        enabled_ = on;
        if (on) restart();
    }
    bool isEnabled() const override { return enabled_; }
    int remainingMs() const override {
        return active() ? static_cast<int>(std::max<qint64>(0, due_ - clock_->now_)) : 0;
    }

    void restart() { due_ = clock_->now_ + std::max(interval_, 1); order_ = clock_->seq_++; }
    bool active() const { return enabled_ && interval_ > 0; }

    VirtualClock* clock_;
    int interval_ = 0;
    bool enabled_ = false;
    qint64 due_ = 0;
    quint64 order_ = 0;
};

VirtualClock::VirtualClock(QDateTime start) : start_(std::move(start)) {}

VirtualClock::~VirtualClock() {
    for (auto* t : timers_) t->clock_ = nullptr;
}

void VirtualClock::pause(int ms) {
    if (ms > 0) now_ += ms;
}

std::unique_ptr<Timer> VirtualClock::createTimer() { return std::make_unique<VirtualTimer>(this); }

void VirtualClock::at(qint64 ms, std::function<void()> action) {
    actions_.emplace(std::make_pair(std::max(ms, now_), seq_++), std::move(action));
}

qint64 VirtualClock::nextDue() const {
    qint64 next = std::numeric_limits<qint64>::max();
    if (!actions_.empty()) next = actions_.begin()->first.first;
    for (auto* t : timers_)
        if (t->active()) next = std::min(next, t->due_);
    return next;
}

// Fires the earliest item that is due, if any. Each item is taken off its schedule before it runs,
// because its handler may let events run again (nested waits) and so re-enter here.
bool VirtualClock::fireOneDue() {
    VirtualTimer* timer = nullptr;
    for (auto* t : timers_)
        if (t->active() && t->due_ <= now_ &&
            (!timer || std::make_pair(t->due_, t->order_) < std::make_pair(timer->due_, timer->order_)))
            timer = t;
    const bool actionDue = !actions_.empty() && actions_.begin()->first.first <= now_;
    if (timer && (!actionDue || std::make_pair(timer->due_, timer->order_) < actions_.begin()->first)) {
        timer->restart();
        if (timer->onTick) timer->onTick();
        return true;
    }
    if (actionDue) {
        auto fn = std::move(actions_.begin()->second);
        actions_.erase(actions_.begin());
        fn();
        return true;
    }
    return false;
}

void VirtualClock::runPendingEvents(qint64 untilMs) {
    ++depth_;
    maxDepth_ = std::max(maxDepth_, depth_);
    if (pace) pace(now_);
    QCoreApplication::sendPostedEvents();
    if (!fireOneDue()) {
        qint64 next = std::min(nextDue(), untilMs);
        if (next > now_ && pace) {
            pace(next);
            // What ran meanwhile may have moved time or set an earlier timer.
            next = std::min(nextDue(), untilMs);
        }
        if (next > now_) now_ = next;
        while (fireOneDue()) {
        }
    } else {
        while (fireOneDue()) {
        }
    }
    QCoreApplication::sendPostedEvents();
    --depth_;
}

void VirtualClock::advanceTo(qint64 ms) {
    while (now_ < ms) runPendingEvents(ms);
    runPendingEvents(now_);
}

} // namespace platform
