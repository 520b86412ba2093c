#pragma once
// What the classroom benchmarks share: percentiles of samples, and the event loop run until a
// condition holds.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace benchtools {

struct Samples {
    std::vector<double> ms;
    double at(double q) {
        if (ms.empty()) return 0;
        std::sort(ms.begin(), ms.end());
        const size_t i = std::min(ms.size() - 1, size_t(q * double(ms.size() - 1) + 0.5));
        return ms[i];
    }
};

// Runs the event loop until `done` or `timeoutMs`. Not QTest::qWaitFor: that sleeps 10 ms between
// turns of the loop, which would be measured as latency.
template <typename F>
bool runUntil(F done, int timeoutMs) {
    QEventLoop loop;
    QElapsedTimer t;
    t.start();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] { if (done() || t.elapsed() >= timeoutMs) loop.quit(); });
    check.start(5);
    if (!done()) loop.exec();
    return done();
}

} // namespace benchtools
