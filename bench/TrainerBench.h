#pragma once
// The trainer under measurement (bench_trainer): the whole program on the real clock and a real
// window system, with a clock, timers and sound that record when things happened.
#include "app/Trainer.h"
#include "platform/MessageBox.h"
#include "platform/PulseSound.h"
#include "platform/RealClock.h"
#include "platform/ScreenMode.h"

#include <cstdio>
#include <memory>
#include <vector>

struct Context;

namespace trainerbench {

// The steady clock in milliseconds, and the processor time of the process so far in seconds.
double nowMs();
double cpuSeconds();

// Whatever phase the scenario is in; recordings are filed under it.
extern const char* gPhase;

// ---- a clock that records its pauses and the lateness of its timers ----

class RecordingTimer : public platform::Timer {
public:
    explicit RecordingTimer(std::unique_ptr<platform::Timer> inner) : inner_(std::move(inner)) {
        inner_->onTick = [this] {
            ++ticksSinceStart_;
            lateness.push_back({gPhase, nowMs() - (startedAt_ + double(ticksSinceStart_) * inner_->interval())});
            if (onTick) onTick();
        };
    }
    void setInterval(int ms) override {
        inner_->setInterval(ms);
        if (inner_->isEnabled()) restart();
    }
    int interval() const override { return inner_->interval(); }
    void setEnabled(bool on) override {
        inner_->setEnabled(on);
        if (on) restart();
    }
    bool isEnabled() const override { return inner_->isEnabled(); }
    int remainingMs() const override { return inner_->remainingMs(); }

    struct Late {
        const char* phase;
        double ms;
    };
    std::vector<Late> lateness; // each tick against (start of its period + interval)

private:
    void restart() {
        startedAt_ = nowMs();
        ticksSinceStart_ = 0;
    }
    std::unique_ptr<platform::Timer> inner_;
    double startedAt_ = 0;
    int ticksSinceStart_ = 0;
};

class RecordingClock : public platform::Clock {
public:
    qint64 tickMs() const override { return real_.tickMs(); }
    QDateTime now() const override { return real_.now(); }
    void pause(int ms) override {
        const double start = nowMs();
        real_.pause(ms);
        pauses.push_back({gPhase, ms, inCue, nowMs() - start - ms});
    }
    void runPendingEvents(qint64 untilMs) override { real_.runPendingEvents(untilMs); }
    std::unique_ptr<platform::Timer> createTimer() override {
        return std::make_unique<RecordingTimer>(real_.createTimer());
    }

    struct Pause {
        const char* phase;
        int ms;
        bool cue; // the silent stand-in for a cue (no sound server)
        double overMs;
    };
    std::vector<Pause> pauses;
    bool inCue = false;

private:
    platform::RealClock real_;
};

// ---- a sound that records when each beep and cue happened ----

class RecordingSound : public platform::Sound {
public:
    explicit RecordingSound(RecordingClock& clock) : clock_(clock), real_(clock) {}
    void playFile(const QString& name) override {
        clock_.inCue = true;
        real_.playFile(name);
        clock_.inCue = false;
    }
    void beep() override;
    void playSamples(const QList<qint16>& samples, int sampleRate) override { real_.playSamples(samples, sampleRate); }
    void streamSamples(const qint16* samples, qint64 count, int rate) override { real_.streamSamples(samples, count, rate); }

    struct Beep {
        const char* phase;
        double atMs;
        double cpu;
        bool step;
        double stepLateMs;
    };
    std::vector<Beep> beeps;
    Context* context = nullptr;

private:
    RecordingClock& clock_;
    platform::PulseSound real_;
};

class NoMessages : public platform::MessageBox {
public:
    void show(const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
};

class FixedScreen : public platform::ScreenMode {
public:
    QSize screenSize() override { return {1280, 1024}; }
    void setMode(int, int) override {}
};

// Runs the program's own event loop for ms milliseconds.
void runEventLoop(int ms);

struct Bench {
    RecordingClock clock;
    RecordingSound sound{clock};
    NoMessages messages;
    FixedScreen screen;
    std::unique_ptr<Trainer> trainer;
    Context* c = nullptr;

    // The whole trainer, its window shown and up.
    Bench();
    // The beeps recorded in `phase`: the steps of timed waits, or the others.
    std::vector<RecordingSound::Beep> beepsOf(const char* phase, bool steps) const;
};

// A routine call from the keys: Call, "Routine", a directory line, Enter; returns when the Enter
// key's handler has ended.
bool sendRoutineCall(Context& c);

} // namespace trainerbench
