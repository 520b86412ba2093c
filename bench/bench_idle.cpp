// How much processor time the trainer spends while it only waits.
//
// Builds the whole trainer on the real clock and the real Qt event loop (offscreen unless a
// platform is chosen), then measures the process's CPU time against the wall-clock time of
//   1. one five-second timed wait on Timer5Second (the wait of every call sequence), and
//   2. a routine call sent with the Call and Enter keys (its wait, pause and the closing wait), and
//   3. an idle period of the program's own event loop with the 60-second distress repeat timer and
//      the half-second clock timer running, no alert active.
// All should cost next to nothing: the waits block on the event queue instead of polling.
//
// Usage: bench_idle [idle seconds, default 65]
#include "app/Trainer.h"
#include "platform/MessageBox.h"
#include "platform/RealClock.h"
#include "platform/ScreenMode.h"
#include "platform/Sound.h"

#include "ui_frmGMDSS.h"

#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

class SilentSound : public platform::Sound {
public:
    void playFile(const QString&) override {}
    void beep() override { ++beeps; }
    int beeps = 0;
};

class NoMessages : public platform::MessageBox {
public:
    void show(const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
};

class FixedScreen : public platform::ScreenMode {
public:
    QSize screenSize() override { return {1024, 768}; }
    void setMode(int, int) override {}
};

double cpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    auto secs = [](const timeval& tv) { return double(tv.tv_sec) + double(tv.tv_usec) / 1e6; };
    return secs(ru.ru_utime) + secs(ru.ru_stime);
}

struct Phase {
    double cpu0;
    qint64 wall0;
    platform::Clock& clock;
    explicit Phase(platform::Clock& c) : cpu0(cpuSeconds()), wall0(c.tickMs()), clock(c) {}
    void report(const char* name) const {
        const double wall = double(clock.tickMs() - wall0) / 1000.0;
        const double cpu = cpuSeconds() - cpu0;
        std::printf("%-34s wall %7.3f s   cpu %7.3f s   cpu/wall %6.2f %%\n", name, wall, cpu,
                    wall > 0 ? 100.0 * cpu / wall : 0.0);
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int idleSeconds = 65;
    if (argc > 1) {
        idleSeconds = std::atoi(argv[1]);
        if (idleSeconds <= 0) {
            std::fprintf(stderr, "usage: %s [idle seconds, default 65]\n", argv[0]);
            return 2;
        }
    }
    TrainerApplication app(argc, argv);
    platform::RealClock clock;
    SilentSound sound;
    NoMessages messages;
    FixedScreen screen;
    Trainer trainer(Services{clock, sound, messages, screen, [] { std::exit(0); }});
    trainer.window()->show();
    Context& c = trainer.context();

    // Let the window come up before measuring.
    for (const qint64 until = clock.tickMs() + 200; clock.tickMs() < until;) clock.runPendingEvents(until);

    int steps = 0;
    Phase wait(clock);
    c.timedWait(5000, [&] { ++steps; });
    wait.report("timed wait, 5 s");
    std::printf("%-34s %d one-second steps\n", "", steps);

    // A routine call through the keys: Call, "Routine", a directory line, Enter. Its one-period
    // wait, the 1 s pause and the Enter key's closing wait, about 11 s (the cues are silent here).
    {
        Ui::frmGMDSS& ui = *c.ui;
        ui.cmdCall->click();
        ui.lstCall->setCurrentRow(3);
        emit ui.lstCall->itemClicked(ui.lstCall->item(3));
        const auto lines = ui.lstDirectory->findItems(QStringLiteral("Vox's Sweetness"), Qt::MatchStartsWith);
        if (!lines.isEmpty()) {
            ui.lstDirectory->setCurrentItem(lines.first());
            emit ui.lstDirectory->itemClicked(lines.first());
        }
        Phase call(clock);
        ui.cmdEnter->click();
        call.report("routine call, Enter to closing");
        std::printf("%-34s status \"%s\"\n", "", qPrintable(ui.lblStatus->text()));
    }

    int repeats = 0;
    const auto repeatTick = c.TimerRepeat->onTick;
    c.TimerRepeat->onTick = [&] {
        ++repeats;
        if (repeatTick) repeatTick();
    };
    c.TimerRepeat->setEnabled(true);
    Phase idle(clock);
    // The program's own event loop, as app.exec() runs it. (Quitting the application itself would
    // close the window, which powers the radio off.)
    QEventLoop loop;
    QTimer::singleShot(idleSeconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    idle.report(qPrintable(QString("idle, %1 s, repeat timer on").arg(idleSeconds)));
    std::printf("%-34s %d repeat ticks\n", "", repeats);
    return 0;
}
