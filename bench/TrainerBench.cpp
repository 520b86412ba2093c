#include "TrainerBench.h"

#include "core/Context.h"
#include "core/Form.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

namespace trainerbench {

double nowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double cpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    auto secs = [](const timeval& tv) { return double(tv.tv_sec) + double(tv.tv_usec) / 1e6; };
    return secs(ru.ru_utime) + secs(ru.ru_stime);
}

const char* gPhase = "";

void RecordingSound::beep() {
    Beep b{gPhase, nowMs(), cpuSeconds(), false, 0};
    if (context && context->Timer5Second->isEnabled()) {
        // A step of a timed wait: it is due one second after the wait's start or last step.
        b.step = true;
        b.stepLateMs = double(clock_.tickMs() - context->s.WaitStart - 1000);
    }
    beeps.push_back(b);
    real_.beep();
}

void runEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

Bench::Bench() {
    trainer = std::make_unique<Trainer>(Services{clock, sound, messages, screen, [] { std::exit(0); }});
    c = &trainer->context();
    sound.context = c;
    trainer->window()->show();
    runEventLoop(500); // let the window come up
}

std::vector<RecordingSound::Beep> Bench::beepsOf(const char* phase, bool steps) const {
    std::vector<RecordingSound::Beep> out;
    for (const auto& b : sound.beeps)
        if (std::strcmp(b.phase, phase) == 0 && b.step == steps) out.push_back(b);
    return out;
}

bool sendRoutineCall(Context& c) {
    Ui::frmGMDSS& ui = *c.ui;
    ui.cmdCall->click();
    ui.lstCall->setCurrentRow(3);
    emit ui.lstCall->itemClicked(ui.lstCall->item(3));
    const auto lines = ui.lstDirectory->findItems(QStringLiteral("Vox's Sweetness"), Qt::MatchStartsWith);
    if (lines.isEmpty()) {
        std::fprintf(stderr, "bench: no directory line for the routine call\n");
        return false;
    }
    ui.lstDirectory->setCurrentItem(lines.first());
    emit ui.lstDirectory->itemClicked(lines.first());
    ui.cmdEnter->click();
    return true;
}

} // namespace trainerbench
