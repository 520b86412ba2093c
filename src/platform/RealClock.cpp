#include "platform/RealClock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

namespace platform {

namespace {
constexpr qint64 kNsPerMs = 1000000;
constexpr qint64 kMaxTimerMs = std::numeric_limits<int>::max();
} // namespace

struct RealClock::RealTimer::Impl {
    QTimer timer;
};

RealClock::RealTimer::RealTimer(const RealClock& clock) : clock_(clock), d(std::make_unique<Impl>()) {
    d->timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&d->timer, &QTimer::timeout, [this] {
        startedNs_ = clock_.clockNs(); // a repeating timer begins its next period
        if (onTick) onTick();
    });
}

RealClock::RealTimer::~RealTimer() = default;

void RealClock::RealTimer::setInterval(int ms) {
    interval_ = ms;
    // QTimer::setInterval on a running timer restarts its period, as the old timers did.
    if (d->timer.isActive()) startedNs_ = clock_.clockNs();
    d->timer.setInterval(static_cast<int>(std::min(clock_.realMs(ms), kMaxTimerMs)));
}

void RealClock::RealTimer::setEnabled(bool on) {
    if (on) {
        // Taken before the Qt timer starts: the period never seems shorter than it really runs.
        startedNs_ = clock_.clockNs();
        d->timer.start();
    } else {
        d->timer.stop();
    }
}

bool RealClock::RealTimer::isEnabled() const { return d->timer.isActive(); }

int RealClock::RealTimer::remainingMs() const {
    if (!d->timer.isActive()) return 0;
    // Counted on the clock itself, rounded up to whole milliseconds: a wait woken at the very
    // tick the period ends sees 0 here, whatever the speed.
    const qint64 leftNs = startedNs_ + qint64(interval_) * kNsPerMs - clock_.clockNs();
    return leftNs <= 0 ? 0 : static_cast<int>((leftNs + kNsPerMs - 1) / kNsPerMs);
}

int RealClock::RealTimer::realIntervalMs() const { return d->timer.interval(); }

RealClock::RealClock(double speed)
    : speed_(std::clamp(speed, kMinSpeed, kMaxSpeed)), start_(QDateTime::currentDateTime()) {
    elapsed_.start();
}

qint64 RealClock::clockNs() const { return static_cast<qint64>(static_cast<double>(elapsed_.nsecsElapsed()) * speed_); }

qint64 RealClock::realMs(qint64 clockMs) const {
    if (clockMs <= 0) return 0;
    return static_cast<qint64>(std::ceil(static_cast<double>(clockMs) / speed_));
}

qint64 RealClock::clockMs(qint64 realNs) const {
    return static_cast<qint64>(static_cast<double>(realNs) * speed_) / kNsPerMs;
}

qint64 RealClock::tickMs() const { return clockMs(elapsed_.nsecsElapsed()); }

QDateTime RealClock::now() const {
    // At real speed the computer's date and time as it stands (it may be set meanwhile).
    if (speed_ == 1.0) return QDateTime::currentDateTime();
    return start_.addMSecs(tickMs());
}

void RealClock::pause(int ms) {
    // Sleep until the tick has moved on by ms; a signal may wake us early.
    const qint64 end = tickMs() + ms;
    for (qint64 left = end - tickMs(); left > 0; left = end - tickMs())
        QThread::msleep(static_cast<unsigned long>(realMs(left)));
}

void RealClock::runPendingEvents(qint64 untilMs) {
    const qint64 left = untilMs - tickMs();
    if (left <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // Block on the event queue; a single-shot timer guarantees we wake up at untilMs.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(static_cast<int>(std::min<qint64>(realMs(left), 1 << 30)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

std::unique_ptr<Timer> RealClock::createTimer() { return std::make_unique<RealTimer>(*this); }

} // namespace platform
