#pragma once
#include "platform/Clock.h"
#include <QElapsedTimer>

namespace platform {

// The computer's own clock and the Qt event loop.
class RealClock : public Clock {
public:
    RealClock();
    qint64 tickMs() const override;
    QDateTime now() const override;
    void pause(int ms) override;
    void runPendingEvents(qint64 untilMs) override;
    std::unique_ptr<Timer> createTimer() override;

private:
    QElapsedTimer elapsed_;
};

} // namespace platform
