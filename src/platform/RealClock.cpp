#include "platform/RealClock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>

namespace platform {

namespace {

class QtTimer : public Timer {
public:
    QtTimer() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onTick) onTick();
        });
    }
    void setInterval(int ms) override {
        // QTimer::setInterval on a running timer restarts its period, as the old timers did.
        timer_.setInterval(ms);
    }
    int interval() const override { return timer_.interval(); }
    void setEnabled(bool on) override {
        if (on) timer_.start();
        else timer_.stop();
    }
    bool isEnabled() const override { return timer_.isActive(); }
    int remainingMs() const override { return timer_.isActive() ? std::max(0, timer_.remainingTime()) : 0; }

private:
    QTimer timer_;
};

} // namespace

RealClock::RealClock() { elapsed_.start(); }

qint64 RealClock::tickMs() const { return elapsed_.elapsed(); }

QDateTime RealClock::now() const { return QDateTime::currentDateTime(); }

void RealClock::pause(int ms) {
    // Sleep until the monotonic tick has moved on by ms; a signal may wake us early.
    const qint64 end = tickMs() + ms;
    for (qint64 left = end - tickMs(); left > 0; left = end - tickMs())
        QThread::msleep(static_cast<unsigned long>(left));
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
    wake.start(static_cast<int>(std::min<qint64>(left, 1 << 30)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

std::unique_ptr<Timer> RealClock::createTimer() { return std::make_unique<QtTimer>(); }

} // namespace platform
