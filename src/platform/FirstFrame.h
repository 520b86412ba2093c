#pragma once
// Start-up measurement: when the environment variable VHF_REPORT_FIRST_FRAME is set, the first
// time a top-level window has handled an expose event while it is on screen (its backing store
// painted and flushed to the window system), one line
//     first-frame <CLOCK_MONOTONIC nanoseconds> <width>x<height>
// goes to stdout. A launcher that reads the same clock before it starts the process gets the
// time to the first frame. Costs one test per event otherwise.
#include <QEvent>
#include <QWindow>
#include <functional>
#include <cstdio>
#include <ctime>

namespace platform {

// Call after the application has handled `e` for `receiver` (at the end of notify()).
inline void noteFirstFrame(QObject* receiver, QEvent* e) {
    static const bool wanted = qEnvironmentVariableIsSet("VHF_REPORT_FIRST_FRAME");
    static bool reported = false;
    if (!wanted || reported || e->type() != QEvent::Expose || !receiver->isWindowType()) return;
    auto* window = static_cast<QWindow*>(receiver);
    if (!window->isExposed() || window->transientParent()) return;
    reported = true;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    std::printf("first-frame %lld %dx%d\n", static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec,
                window->width(), window->height());
    std::fflush(stdout);
}

// Runs `then` from the event loop once the window has been exposed for the first time, queued
// behind the paint that the expose triggers: work that can wait goes there, off the way to the
// first frame.
void afterFirstFrame(QWindow* window, std::function<void()> then);

} // namespace platform
