// A long lesson replayed as fast as it goes: wall time and peak memory of the trainer against an
// idle trainer's.
//
// Usage: bench_replay TRAINER [MINUTES=60]
//
// First it makes the lesson: a trainer on virtual time, recorded as a trainee works it for MINUTES
// minutes of the trainer's clock, from the mouse and the keyboard: each minute the channel knob
// turned with its arrows and with the arrow keys, the menu opened and closed, a routine call to the
// second vessel that answers it in the call's closing wait; every third minute an Urgency call to
// all ships, every fifth a distress alert held down and acknowledged by the coast station. Then it
// takes the lesson's pictures away and runs TRAINER --replay LESSON --speed max --quit-at-end,
// which draws them again (one for each call it sends: the replay went the lesson's way), and takes
// its wall time and its peak resident memory (the kernel's count for the child). Then it starts
// TRAINER alone, lets it stand idle as long as the replay took (at least two seconds) after its
// first frame, and reads its peak memory (VmHWM). Prints "ROW |...|" lines for bench/run's table.
#include "air/Air.h"
#include "harness/Harness.h"
#include "lessons/Recorder.h"

#include <QDir>
#include <QFileInfo>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double monotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

// The process's peak resident memory so far, in KiB (-1 when it cannot be read).
long peakKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            long kb = -1;
            status >> kb;
            return kb;
        }
        status.ignore(1 << 20, '\n');
    }
    return -1;
}

const QString kBlueCrane = QStringLiteral("The Blue Crane            366232323");

// A click on a list line where the mouse finds it; false when the line is not on the screen.
bool clickLine(Harness& h, const QString& list, const QString& line) {
    auto* l = h.find<QListWidget>(list);
    const QList<QListWidgetItem*> found = l->findItems(line, Qt::MatchExactly);
    if (found.isEmpty() || !l->isVisible()) return false;
    l->scrollToItem(found.first());
    QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(found.first()).center());
    return true;
}

struct Knob : QScrollBar {
    using QScrollBar::initStyleOption;
};

QPoint arrow(QScrollBar* knob, QStyle::SubControl which) {
    QStyleOptionSlider opt;
    static_cast<Knob*>(knob)->initStyleOption(&opt);
    return knob->style()->subControlRect(QStyle::CC_ScrollBar, &opt, which, knob).center();
}

struct Made {
    QString path;
    int lines = 0;
    int calls = 0;
};

// One trainee's hour at the radio, recorded.
Made makeLesson(const QString& folder, int minutes) {
    Harness h;
    auto recorder = lessons::Recorder::start(h.c(), folder);
    if (!recorder) return {};
    QScrollBar* knob = h.ui().ScrollChannel;
    for (int minute = 0; minute < minutes; ++minute) {
        const qint64 start = minute * 60000LL + 1000;
        if (h.now() < start) h.advance(start - h.now());
        // The knob: three steps up and back with the mouse, one up and down with the keys.
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(knob, Qt::LeftButton, {}, arrow(knob, QStyle::SC_ScrollBarAddLine));
            h.advance(400);
        }
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(knob, Qt::LeftButton, {}, arrow(knob, QStyle::SC_ScrollBarSubLine));
            h.advance(400);
        }
        QTest::keyClick(knob, Qt::Key_Up);
        h.advance(300);
        QTest::keyClick(knob, Qt::Key_Down);
        h.advance(1500);
        // A look at the menu, closed again.
        h.click("cmdMenu");
        h.advance(1200);
        h.click("cmdClear");
        h.advance(1500);
        // A routine call, answered in its closing wait.
        h.click("cmdCall");
        h.advance(700);
        if (clickLine(h, "lstCall", "Routine")) {
            h.advance(900);
            clickLine(h, "lstDirectory", kBlueCrane);
            h.advance(800);
            h.after(5 * 500 + 5000 + 1000 + 500, [&h] {
                h.click("cmdBCEnter");
                clickLine(h, "lstBC", "Able to Comply");
            });
            h.click("cmdEnter");
        }
        h.advance(12000);
        if (minute % 3 == 1) {
            h.click("cmdCall");
            h.advance(600);
            if (clickLine(h, "lstCall", "Urgency")) {
                h.advance(700);
                h.click("cmdEnter");
            }
            h.advance(10000);
        }
        if (minute % 5 == 2) {
            h.hold("cmdDistress", 5500);
            h.advance(1500);
            h.click("cmdAcknowledge");
            h.advance(3000);
        }
    }
    h.advance(minutes * 60000LL + 1000 - h.now());
    Made made;
    made.path = recorder->path();
    for (const air::Transmission& t : h.c().air->log()) made.calls += t.fromOwnRadio;
    recorder.reset();
    QFile f(made.path);
    if (f.open(QIODevice::ReadOnly))
        while (!f.atEnd()) made.lines += !f.readLine().isEmpty();
    return made;
}

struct Run {
    bool ok = false;
    double wallMs = 0;
    double peakMb = 0;
};

// The trainer replaying the lesson at full speed, to its end.
Run replay(const std::string& trainer, const std::string& lesson) {
    Run r;
    const double t0 = monotonicMs();
    const pid_t pid = fork();
    if (pid < 0) return r;
    if (pid == 0) {
        execl(trainer.c_str(), trainer.c_str(), "--replay", lesson.c_str(), "--speed", "max", "--quit-at-end",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    // The peak, read just before the program ends, would need a sampler; the kernel keeps it for
    // us in the rusage of the child.
    int status = 0;
    rusage ru{};
    while (wait4(pid, &status, 0, &ru) < 0 && errno == EINTR) {
    }
    r.wallMs = monotonicMs() - t0;
    r.peakMb = double(ru.ru_maxrss) / 1024.0;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!r.ok) std::fprintf(stderr, "bench_replay: the replay ended with status %d\n", status);
    return r;
}

// The trainer standing idle for idleMs after its first frame: its peak memory.
Run idle(const std::string& trainer, double idleMs) {
    Run r;
    int out[2];
    if (pipe(out) != 0) return r;
    const pid_t pid = fork();
    if (pid < 0) return r;
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        setenv("VHF_REPORT_FIRST_FRAME", "1", 1);
        execl(trainer.c_str(), trainer.c_str(), "--nmea-port", "0", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string line;
    for (char ch; line.rfind("first-frame", 0) != 0;) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 30000) <= 0 || read(out[0], &ch, 1) != 1) break;
        if (ch == '\n') {
            if (line.rfind("first-frame", 0) == 0) break;
            line.clear();
        } else {
            line += ch;
        }
    }
    if (line.rfind("first-frame", 0) == 0) {
        usleep(static_cast<useconds_t>(std::max(idleMs, 2000.0) * 1000));
        r.peakMb = double(peakKb(pid)) / 1024.0;
        r.ok = r.peakMb > 0;
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(out[0]);
    return r;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s TRAINER [MINUTES]\n", argv[0]);
        return 2;
    }
    const std::string trainer = argv[1];
    const int minutes = argc > 2 ? std::max(1, std::atoi(argv[2])) : 60;
    QTemporaryDir folder;
    // The trainers started here record their own lessons beside it, not in the user's folder.
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder.filePath("data")));

    Made made;
    {
        TrainerApplication app(argc, argv);
        made = makeLesson(folder.filePath("lessons"), minutes);
    }
    if (made.path.isEmpty()) {
        std::fprintf(stderr, "bench_replay: no lesson made\n");
        return 1;
    }
    std::printf("lesson: %d lines, %d calls sent, %d minutes\n", made.lines, made.calls, minutes);

    // The lesson without its pictures: the replay draws them again, one for each call it sends,
    // which tells that it went the way the lesson did.
    auto pictures = [&made] {
        const QFileInfo lesson(made.path);
        return QDir(lesson.absolutePath()).entryList({lesson.completeBaseName() + QStringLiteral("-*.png")}, QDir::Files);
    };
    for (const QString& p : pictures()) QFile::remove(QFileInfo(made.path).absoluteDir().filePath(p));
    const Run r = replay(trainer, QFile::encodeName(made.path).toStdString());
    if (!r.ok) return 1;
    if (pictures().size() != made.calls) {
        std::fprintf(stderr, "bench_replay: the replay sent %d calls, the lesson %d\n", int(pictures().size()), made.calls);
        return 1;
    }
    const Run i = idle(trainer, r.wallMs);
    if (!i.ok) {
        std::fprintf(stderr, "bench_replay: the idle trainer showed no first frame\n");
        return 1;
    }
    const double more = r.peakMb - i.peakMb;
    std::printf("replay: %.2f s, peak %.1f MiB; idle trainer: peak %.1f MiB\n", r.wallMs / 1000.0, r.peakMb, i.peakMb);
    std::printf("ROW |Replay of a %d-minute lesson at full speed (%d lines, %d calls sent)|%.2f s|—|—|under 5 s|%s|\n",
                minutes, made.lines, made.calls, r.wallMs / 1000.0, r.wallMs < 5000.0 ? "yes" : "no");
    std::printf("ROW |Peak memory replaying it|%.1f MiB|%.1f MiB (idle trainer)|+%.1f MiB|at most +50 MB|%s|\n", r.peakMb,
                i.peakMb, more, more * 1.048576 <= 50.0 ? "yes" : "no");
    return 0;
}
