#include "app/Lessons.h"

#include "air/Voice.h"
#include "app/Trainer.h"
#include "exam/Sheet.h"
#include "lessons/Debrief.h"
#include "lessons/Player.h"
#include "platform/Display.h"
#include "platform/Microphone.h"
#include "platform/PulseSound.h"
#include "platform/RealClock.h"
#include "platform/VirtualClock.h"
#include "platform/doubles/Doubles.h"

#include <optional>
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kUsageError = 2;
bool gRecordsLessons = false;

} // namespace

int usageError(const QString& text) {
    std::fprintf(stderr, "vhf-dsc-trainer: %s\nTry 'vhf-dsc-trainer --help' for the options.\n", qPrintable(text));
    return kUsageError;
}

bool recordsLessons() { return gRecordsLessons; }
void setRecordsLessons(bool on) { gRecordsLessons = on; }

LessonOptions::LessonOptions(QCommandLineParser& parser)
    : parser_(parser),
      replay_(QStringLiteral("replay"),
              QStringLiteral("Play a recorded lesson back on the window (--speed N: N times as fast, max: as fast as "
                             "it goes)."),
              QStringLiteral("LESSON.jsonl")),
      quitAtEnd_(QStringLiteral("quit-at-end"),
                 QStringLiteral("With --replay: end the program when the lesson is over (status 1 if it stopped early).")),
      debrief_(QStringLiteral("debrief"),
               QStringLiteral("Write the debrief of a lesson to OUT (HTML, or PDF when OUT ends in .pdf) and exit: "
                              "--debrief LESSON.jsonl OUT."),
               QStringLiteral("LESSON.jsonl")),
      examSheet_(QStringLiteral("exam-sheet"),
                 QStringLiteral("Write the examiner's sheet of a mock exam's result record to OUT (HTML, or PDF when OUT "
                                "ends in .pdf) and exit: --exam-sheet RECORD.exam.json OUT."),
                 QStringLiteral("RECORD")) {
    parser_.addOptions({replay_, quitAtEnd_, debrief_, examSheet_});
}

std::optional<int> LessonOptions::run(const QStringList& arguments, int& argc, char** argv) {
    // The program's own parse reports what is wrong with the line; help is its business too.
    if (!parser_.parse(arguments) || parser_.isSet(QStringLiteral("help"))) return std::nullopt;
    const bool replaying = parser_.isSet(replay_);
    const bool debriefing = parser_.isSet(debrief_);
    if (parser_.isSet(examSheet_)) {
        const QStringList rest = parser_.positionalArguments();
        if (replaying || debriefing || rest.size() != 1)
            return usageError(QStringLiteral("--exam-sheet wants the record and the file to write, and nothing else: "
                                             "--exam-sheet RECORD.exam.json OUT.html"));
        return examSheet(parser_.value(examSheet_), rest.first(), argc, argv);
    }
    if (!replaying && !debriefing) {
        if (parser_.isSet(quitAtEnd_)) return usageError(QStringLiteral("--quit-at-end goes with --replay"));
        setRecordsLessons(true);
        return std::nullopt;
    }
    if (replaying && debriefing) return usageError(QStringLiteral("--replay and --debrief go one at a time"));
    for (const char* alone : {"class", "control", "decode"})
        if (parser_.isSet(QLatin1String(alone)))
            return usageError(QStringLiteral("--%1 does not go with --%2")
                                  .arg(QLatin1String(alone), replaying ? QStringLiteral("replay") : QStringLiteral("debrief")));
    if (debriefing) {
        const QStringList rest = parser_.positionalArguments();
        if (rest.size() != 1) return usageError(QStringLiteral("--debrief wants the lesson and the file to write: --debrief LESSON.jsonl OUT.html"));
        return debrief(parser_.value(debrief_), rest.first(), argc, argv);
    }
    if (!parser_.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument '%1'").arg(parser_.positionalArguments().first()));
    const QString speedText = parser_.value(QStringLiteral("speed")).trimmed();
    bool ok = false;
    double speed = speedText == QLatin1String("max") ? 0.0 : speedText.toDouble(&ok);
    if (speedText == QLatin1String("max")) ok = true;
    if (!ok || (speed != 0.0 && !(speed >= platform::RealClock::kMinSpeed && speed <= platform::RealClock::kMaxSpeed)))
        return usageError(QStringLiteral("--speed wants a number from 0.1 to 100, or max"));
    return replay(parser_.value(replay_), speed, parser_.isSet(quitAtEnd_), argc, argv);
}

namespace {

// Text and pictures only: no window, so no display is needed.
template <typename Write> int withoutDisplay(int& argc, char** argv, Write write) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const auto outcome = write();
    if (!outcome.problem.isEmpty()) std::fprintf(stderr, "vhf-dsc-trainer: %s\n", qPrintable(outcome.problem));
    return outcome.written ? 0 : 1;
}

} // namespace

int LessonOptions::debrief(const QString& lesson, const QString& out, int& argc, char** argv) {
    return withoutDisplay(argc, argv, [&] { return lessons::writeDebrief(lesson, out); });
}

int LessonOptions::examSheet(const QString& record, const QString& out, int& argc, char** argv) {
    return withoutDisplay(argc, argv, [&] { return exam::writeSheet(record, out); });
}

int LessonOptions::replay(const QString& path, double speed, bool quitAtEnd, int& argc, char** argv) {
    // The first line sets the clock (the lesson's date and time) and the screen's size.
    lessons::Reader probe(path);
    if (!probe.open()) {
        std::fprintf(stderr, "vhf-dsc-trainer: %s\n", qPrintable(probe.error()));
        return 1;
    }
    const lessons::Header header = probe.header();
    if (!platform::displayOrSay()) return 1;
    TrainerApplication app(argc, argv);
    platform::closeDisplayProbe();
    QGuiApplication::setDesktopFileName("io.github.vhfdsctrainer.VhfDscTrainer");

    platform::VirtualClock clock(header.start);
    clock.pause(static_cast<int>(std::min<qint64>(header.tick, 1 << 30))); // where the trainer was built
    platform::PulseSound sound(clock);
    sound.replayOnStillClock(speed == 1.0);
    lessons::ReplayMessageBox messages(clock);
    // The screen as it was: the window shows its size; a change of mode is not made for real.
    platform::FakeScreenMode screen;
    if (header.screen.isValid()) screen.size = header.screen;
    else if (QGuiApplication::primaryScreen()) screen.size = QGuiApplication::primaryScreen()->size();

    std::unique_ptr<lessons::Player> player;
    auto endProgram = [&player] {
        // The radio switched off in the lesson ends the replay; once it is over, the program.
        if (player && !player->finished()) player->stop();
        else std::exit(0);
    };
    Trainer trainer(Services{clock, sound, messages, screen, endProgram});
    messages.setParent(trainer.window());
    trainer.window()->show();
    lessons::Pacer pacer(clock, speed);
    player = std::make_unique<lessons::Player>(trainer.context(), clock, path);
    player->redrawMissingPictures();
    // Asked to quit at the end, the replay leaves its loop and returns, so that the trainer stops
    // its worker threads before the program's static data goes (std::exit here would pull that from
    // under a voice still being made).
    std::optional<int> exitCode;
    player->onFinished = [&] {
        if (quitAtEnd) {
            std::fflush(stdout);
            exitCode = player->error().isEmpty() ? 0 : 1;
            return;
        }
        // The trainer is the user's now, at the wall clock's pace, with the user's microphone.
        pacer.setSpeed(1.0);
        trainer.context().microphone = platform::soundServerMicrophone(air::kVoiceRate);
    };
    if (!player->start()) return 1;
    // The replay's event loop: the clock's, which lets the window system's events run as it paces.
    while (!exitCode) clock.runPendingEvents(clock.tickMs() + 1000);
    return *exitCode;
}
