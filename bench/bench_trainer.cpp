// The trainer on the real clock and a real window system: what it costs while it waits, how true
// its timing is, and how fast the channel display follows the knob.
//
// Usage: bench_trainer cost [IDLE_SECONDS=60]
//        bench_trainer timing [RUNS=3] [REPEATS=2]
//        bench_trainer response [STEPS=60]
//        bench_trainer message [REPEATS=200]
//
// cost     CPU time of the process over an idle spell with the half-second GPS clock running,
//          over the five-second flash of a distress alert and over the closing wait of a routine
//          call, each beside a busy polling loop of the same length (a wait that spins on
//          "let events run" instead of blocking).
// timing   (Steps are read on the program's millisecond tick, so to +-1 ms.)
//          The distress key held RUNS times (the one-second steps of the count, the 3 s alarm,
//          the one-second flashing steps), the first alert left unacknowledged for REPEATS
//          60-second repeats, RUNS reply alarms, RUNS Urgency calls (3 s pause) and RUNS Safety
//          calls (1 s pause). Reports the largest deviation of each from its nominal time.
// message  A routine call sent from the keys, and the time its DSC message and the audio of its
//          burst take to build (message, characters, 1200-baud audio), beside the call's length.
// response A knob step clicked with the mouse on the channel scroll bar, to the end of the
//          repaint that shows the new channel.
//
// Sound goes through the program's own cue player; without a sound server a cue still takes its
// length, as in the program. Every summary line starts with "ROW |" for bench/run's table.
#include "TrainerBench.h"

#include "air/Air.h"
#include "core/Context.h"
#include "core/Form.h"
#include "calls/Answers.h"
#include "calls/DistressAlert.h"
#include "calls/Senders.h"
#include "dscwire/Codec.h"
#include "stations/CoastGuard.h"

#include <QEventLoop>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using namespace trainerbench;

// The largest absolute value, and how many values.
struct Deviations {
    std::vector<double> values;
    void add(double v) { values.push_back(v); }
    double worst() const {
        double w = 0;
        for (double v : values) w = std::max(w, std::abs(v));
        return w;
    }
};

// ---- cost ----

struct Cost {
    double wallS, cpuS;
    double share() const { return wallS > 0 ? 100.0 * cpuS / wallS : 0; }
};

// A wait that polls: lets events run without ever blocking, for as long as the real one took.
Cost busyPoll(double seconds) {
    const double cpu0 = cpuSeconds(), t0 = nowMs();
    while (nowMs() - t0 < seconds * 1000.0) QCoreApplication::processEvents(QEventLoop::AllEvents);
    return {(nowMs() - t0) / 1000.0, cpuSeconds() - cpu0};
}

void costRow(const char* what, const Cost& c, const Cost& busy) {
    std::printf("%-44s wall %7.3f s  cpu %6.3f s  %6.2f %% of a core   (busy poll %6.2f %%)\n", what, c.wallS, c.cpuS,
                c.share(), busy.share());
    std::printf("ROW |CPU, %s|%.2f %% of a core|%.1f %% (busy poll)|%.4f|under 1 %%|%s|\n", what, c.share(),
                busy.share(), busy.share() > 0 ? c.share() / busy.share() : 0.0, c.share() < 1.0 ? "yes" : "no");
    std::fflush(stdout);
}

int runCost(Bench& b, int idleSeconds) {
    Context& c = *b.c;
    Ui::frmGMDSS& ui = *c.ui;

    // Idle, the GPS clock ticking every half second.
    if (!c.Timer1->isEnabled()) std::fprintf(stderr, "bench: the GPS clock is not running\n");
    double cpu0 = cpuSeconds(), t0 = nowMs();
    runEventLoop(idleSeconds * 1000);
    const Cost idle{(nowMs() - t0) / 1000.0, cpuSeconds() - cpu0};
    costRow(qPrintable(QStringLiteral("%1 s idle, GPS clock running").arg(idleSeconds)), idle, busyPoll(idle.wallS));

    // A distress alert: from the beep that ends the alarm to the end of the flash.
    gPhase = "flash";
    c.s.CallTypeDistress = QStringLiteral("Distress");
    c.distress->Distress();
    const double t1 = nowMs(), cpu1 = cpuSeconds();
    const auto ends = b.beepsOf("flash", false);
    if (ends.size() < 2) {
        std::fprintf(stderr, "bench: the distress alert gave %zu beeps outside its flash\n", ends.size());
        return 1;
    }
    const Cost flash{(t1 - ends[1].atMs) / 1000.0, cpu1 - ends[1].cpu};
    costRow("5 s flash of a distress alert", flash, busyPoll(flash.wallS));
    c.coastGuard->cmdAcknowledge_Click();

    // A routine call from the keys. The closing wait runs from the beep after the pause to the end
    // of the Enter key's handler.
    gPhase = "routine";
    if (!sendRoutineCall(c)) return 1;
    const double t2 = nowMs(), cpu2 = cpuSeconds();
    const auto routineBeeps = b.beepsOf("routine", false);
    if (routineBeeps.empty()) {
        std::fprintf(stderr, "bench: the routine call gave no beep\n");
        return 1;
    }
    const Cost closing{(t2 - routineBeeps.back().atMs) / 1000.0, cpu2 - routineBeeps.back().cpu};
    costRow("closing wait of a routine call", closing, busyPoll(closing.wallS));
    std::printf("%-44s status \"%s\"\n", "", qPrintable(ui.lblStatus->text()));
    return 0;
}

// ---- message ----

int runMessage(Bench& b, int repeats) {
    Context& c = *b.c;
    const double t0 = nowMs();
    if (!sendRoutineCall(c)) return 1;
    const double callMs = nowMs() - t0;
    if (c.air->log().empty()) {
        std::fprintf(stderr, "bench: the routine call put nothing on the air\n");
        return 1;
    }
    const dscwire::Message sent = c.air->log().back().message;
    std::vector<double> times;
    qsizetype samples = 0;
    for (int i = 0; i < repeats; ++i) {
        const double s0 = nowMs();
        const dscwire::Message m =
            dscwire::Message::individual(sent.address, sent.category, sent.selfId, sent.channels.value(0));
        const auto symbols = dscwire::toSymbols(m);
        const auto audio = dscwire::encodeAudio(m);
        times.push_back(nowMs() - s0);
        if (!symbols.ok() || !audio.ok() || !(m == sent)) {
            std::fprintf(stderr, "bench: the routine call's message did not build again as sent\n");
            return 1;
        }
        samples = audio.value().size();
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2], worst = times.back();
    std::printf("routine call %.0f ms; its message and %lld samples of audio: median %.3f ms, worst %.3f ms\n", callMs,
                static_cast<long long>(samples), median, worst);
    std::printf("ROW |DSC message and burst audio of a routine call (%d builds), worst / median|%.3f / %.3f ms|%.1f s "
                "(the call)|%.5f|under 5 ms|%s|\n",
                repeats, worst, median, callMs / 1000.0, worst / callMs, worst < 5.0 ? "yes" : "no");
    return 0;
}

// ---- timing ----

void timingRow(const char* what, const Deviations& d, double goalMs) {
    std::printf("ROW |%s (%zu)|%.1f ms|—|—|within %.0f ms|%s|\n", what, d.values.size(), d.worst(), goalMs,
                !d.values.empty() && d.worst() <= goalMs ? "yes" : "no");
}

// Holds the distress key until the count is done and lets go 300 ms later: the alert goes out.
void holdDistressKey(Bench& b) {
    Ui::frmGMDSS& ui = *b.c->ui;
    gPhase = "hold";
    emit ui.cmdDistress->pressed(); // counts the five seconds before it returns
    runEventLoop(300);
    gPhase = "distress";
    emit ui.cmdDistress->released(); // sends the alert: alarm and flash
}

int runTiming(Bench& b, int runs, int repeats) {
    Context& c = *b.c;
    auto* repeatTimer = static_cast<RecordingTimer*>(c.TimerRepeat.get());

    for (int run = 0; run < runs; ++run) {
        holdDistressKey(b);
        if (c.s.CallTypeDistress != QStringLiteral("Distress")) {
            std::fprintf(stderr, "bench: the held key sent no alert\n");
            return 1;
        }
        if (run == 0 && repeats > 0) {
            // Unacknowledged: the alert repeats every 60 s, alarm and flash included.
            gPhase = "distress";
            const size_t before = repeatTimer->lateness.size();
            const double deadline = nowMs() + repeats * 62000.0 + 15000.0;
            while (repeatTimer->lateness.size() < before + size_t(repeats) && nowMs() < deadline)
                runEventLoop(250);
            runEventLoop(9000); // the last repeat's alarm and flash
        }
        c.coastGuard->cmdAcknowledge_Click();
        runEventLoop(500);
    }
    gPhase = "reply";
    for (int run = 0; run < runs; ++run) {
        calls::ReplyAlarm(c);
        runEventLoop(300);
    }
    gPhase = "urgency";
    for (int run = 0; run < runs; ++run) {
        c.senders->Urgency();
        runEventLoop(300);
    }
    gPhase = "safety";
    for (int run = 0; run < runs; ++run) {
        c.senders->Safety();
        runEventLoop(300);
    }
    c.TimerRepeat->setEnabled(false);
    gPhase = "";

    Deviations hold, flash, reply, alarm, pause1, pause3, repeat, period;
    for (const auto& x : b.beepsOf("hold", true)) hold.add(x.stepLateMs);
    for (const auto& x : b.beepsOf("distress", true)) flash.add(x.stepLateMs);
    for (const auto& x : b.beepsOf("reply", true)) reply.add(x.stepLateMs);
    // The alarm: the beep before it and the beep after it, in pairs.
    const auto edges = b.beepsOf("distress", false);
    for (size_t i = 0; i + 1 < edges.size(); i += 2) alarm.add(edges[i + 1].atMs - edges[i].atMs - 3000.0);
    for (const auto& p : b.clock.pauses) {
        if (p.cue) continue;
        if (std::strcmp(p.phase, "urgency") == 0 && p.ms == 3000) pause3.add(p.overMs);
        if (std::strcmp(p.phase, "safety") == 0 && p.ms == 1000) pause1.add(p.overMs);
    }
    for (const auto& l : repeatTimer->lateness)
        if (std::strcmp(l.phase, "distress") == 0) repeat.add(l.ms);
    // The end of every timed wait: the hold, the flash, the reply alarm, the calls' waits.
    for (const auto& l : static_cast<RecordingTimer*>(c.Timer5Second.get())->lateness) period.add(l.ms);

    auto list = [](const char* what, const Deviations& d) {
        std::printf("%-30s", what);
        for (double v : d.values) std::printf(" %+.0f", v);
        std::printf("  ms\n");
    };
    list("hold count steps", hold);
    list("flash steps", flash);
    list("reply alarm steps", reply);
    list("3 s alarm", alarm);
    list("1 s pause", pause1);
    list("3 s pause", pause3);
    list("60 s repeat", repeat);
    list("5 s and 10 s wait periods", period);
    timingRow("Hold count, one-second steps", hold, 20);
    timingRow("Distress flash, one-second steps", flash, 20);
    timingRow("Reply alarm, one-second steps", reply, 20);
    timingRow("3 s alarm of the distress alert", alarm, 20);
    timingRow("1 s pause (Safety)", pause1, 20);
    timingRow("3 s pause (Urgency)", pause3, 20);
    timingRow("End of the 5 s and 10 s wait periods", period, 20);
    timingRow("60 s repeat of an unacknowledged alert", repeat, 50);
    return 0;
}

// ---- response ----

int runResponse(Bench& b, int steps) {
    Ui::frmGMDSS& ui = *b.c->ui;
    QScrollBar* knob = ui.ScrollChannel;
    QWidget* display = ui.lblChannel;
    // The channel display: the number, its "A", the simplex/duplex line and the status line. A
    // step between 20 and 20A changes only the "A".
    const QList<QWidget*> displayParts{ui.lblChannel, ui.lblA, ui.lblSimplex, ui.lblStatus};

    struct PaintSeen : QObject {
        bool seen = false;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint) seen = true;
            return false;
        }
    } paints;
    for (QWidget* w : displayParts) w->installEventFilter(&paints);

    // Where the scroll bar draws its arrows, from its own style option.
    struct Knob : QScrollBar {
        using QScrollBar::initStyleOption;
    };
    auto arrow = [knob](QStyle::SubControl which) {
        QStyleOptionSlider opt;
        static_cast<Knob*>(knob)->initStyleOption(&opt);
        return knob->style()->subControlRect(QStyle::CC_ScrollBar, &opt, which, knob).center();
    };

    std::vector<double> times;
    int direction = 1;
    for (int i = 0; i < steps; ++i) {
        // Up and down the knob, short of its ends (a step beyond 88 changes nothing).
        if (knob->value() >= 80) direction = -1;
        if (knob->value() <= knob->minimum() + 1) direction = 1;
        const QPoint at = arrow(direction > 0 ? QStyle::SC_ScrollBarAddLine : QStyle::SC_ScrollBarSubLine);
        const QString before = display->property("text").toString();
        const int valueBefore = knob->value();
        runEventLoop(40); // nothing pending
        paints.seen = false;
        const double t0 = nowMs();
        QTest::mousePress(knob, Qt::LeftButton, {}, at);
        while (!paints.seen && nowMs() - t0 < 1000) QCoreApplication::processEvents(QEventLoop::AllEvents);
        const double t1 = nowMs();
        QTest::mouseRelease(knob, Qt::LeftButton, {}, at);
        if (!paints.seen) {
            std::fprintf(stderr, "bench: no repaint of the channel display after a knob step from %d (%s)\n",
                         valueBefore, qPrintable(before));
            return 1;
        }
        times.push_back(t1 - t0);
        if (t1 - t0 > 16.0)
            std::printf("slow step %d: knob %d -> %d, display %s -> %s, %.1f ms\n", i + 1, valueBefore, knob->value(),
                        qPrintable(before), qPrintable(display->property("text").toString()), t1 - t0);
    }
    for (QWidget* w : displayParts) w->removeEventFilter(&paints);
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2], worst = times.back();
    std::printf("knob step to repainted display: median %.2f ms, worst %.2f ms over %d steps\n", median, worst, steps);
    std::printf("ROW |Knob step to repainted channel display (%d steps), worst / median|%.2f / %.2f ms|—|—|within 16 ms|%s|\n",
                steps, worst, median, worst <= 16.0 ? "yes" : "no");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    auto arg = [&](int i, int fallback) { return argc > i ? std::max(1, std::atoi(argv[i])) : fallback; };
    if (std::strcmp(mode, "cost") != 0 && std::strcmp(mode, "timing") != 0 && std::strcmp(mode, "response") != 0 &&
        std::strcmp(mode, "message") != 0) {
        std::fprintf(stderr, "usage: %s cost [IDLE_SECONDS] | timing [RUNS] [REPEATS] | response [STEPS] | message [REPEATS]\n",
                     argv[0]);
        return 2;
    }
    TrainerApplication app(argc, argv);
    Bench b;
    if (std::strcmp(mode, "cost") == 0) return runCost(b, arg(2, 60));
    if (std::strcmp(mode, "timing") == 0) return runTiming(b, arg(2, 3), argc > 3 ? std::atoi(argv[3]) : 2);
    if (std::strcmp(mode, "message") == 0) return runMessage(b, arg(2, 200));
    return runResponse(b, arg(2, 60));
}
