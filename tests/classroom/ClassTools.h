#pragma once
// What the class tests and benchmarks share: a station's settings on a broker on loopback, the
// class's warnings counted, and how alike two sounds are.
#include "classroom/Settings.h"

#include <QAtomicInt>
#include <QLoggingCategory>

#include <algorithm>
#include <cmath>
#include <vector>

namespace classtools {

inline classroom::Settings onLoopback(quint16 port, const QString& mmsi, const QString& name,
                                      const QString& cls = QStringLiteral("harbour")) {
    classroom::Settings s;
    s.host = QStringLiteral("127.0.0.1");
    s.port = port;
    s.className = cls;
    s.mmsi = mmsi;
    s.vesselName = name;
    return s;
}

// Warnings of the "vhf.class" category, counted from install() on (and still shown).
struct ClassWarnings {
    static QAtomicInt& count() {
        static QAtomicInt n;
        return n;
    }
    static void install() {
        static QtMessageHandler previous = nullptr;
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& ctx, const QString& text) {
            if (type == QtWarningMsg && ctx.category && qstrcmp(ctx.category, "vhf.class") == 0) count().ref();
            previous(type, ctx, text);
        });
    }
};

// How alike two sounds at 16 kHz are: the correlation of their loudness, 20 ms by 20 ms, over the
// length of the shorter (1: the same shape).
template <typename T>
double likeness(const std::vector<T>& a, const std::vector<T>& b) {
    constexpr size_t frame = 320;
    std::vector<double> x, y;
    for (size_t at = 0; at + frame <= std::min(a.size(), b.size()); at += frame) {
        double ea = 0, eb = 0;
        for (size_t i = at; i < at + frame; ++i) ea += double(a[i]) * double(a[i]), eb += double(b[i]) * double(b[i]);
        x.push_back(std::log10(1e-9 + ea));
        y.push_back(std::log10(1e-9 + eb));
    }
    if (x.size() < 2) return 0;
    double mx = 0, my = 0, sxy = 0, sxx = 0, syy = 0;
    for (size_t i = 0; i < x.size(); ++i) mx += x[i] / double(x.size()), my += y[i] / double(x.size());
    for (size_t i = 0; i < x.size(); ++i)
        sxy += (x[i] - mx) * (y[i] - my), sxx += (x[i] - mx) * (x[i] - mx), syy += (y[i] - my) * (y[i] - my);
    return sxy / std::sqrt(sxx * syy);
}

} // namespace classtools
