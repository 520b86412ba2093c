#pragma once
// Plays a lesson back on a trainer that runs on a virtual clock: each recorded action is put into
// the same control at its recorded tick, through the same events a user's hand makes (see
// platform/Input.h), so that the same lesson gives the same screens every time. While it plays, the
// user's own mouse and keys are kept off the trainer's windows. A damaged line ends the replay
// there: the window stays as it is and the reason is reported ("lesson.jsonl line 42: not a JSON
// object"). The talk key's presses come back as presses, and the microphone gives what the trainee
// said at each (LessonMicrophone), so that the words are recognised and answered again.
#include "lessons/Lesson.h"
#include "platform/Clock.h"
#include "platform/Input.h"
#include "platform/MessageBox.h"
#include "platform/Microphone.h"

#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

struct Context;
class QWidget;
namespace platform {
class VirtualClock;
}

namespace lessons {

// The microphone of a replay: each press of the talk key gives the sound the lesson keeps of the
// own radio's transmission whose key went down at that tick, as long as it was held then.
class LessonMicrophone : public platform::Microphone {
public:
    LessonMicrophone(const QString& lessonPath, platform::Clock& clock);
    bool start(QString* error) override;
    std::vector<float> read(qint64 heldMs) override;
    void stop() override;

private:
    struct Said {
        qint64 keyed = 0;
        qint64 ms = 0;
        QString audio; // file name beside the lesson; empty: none was kept
        bool used = false;
    };
    std::vector<Said> said_;
    QString folder_;
    platform::Clock& clock_;
    int current_ = -1;
    std::vector<float> speech_;  // of the current press, as long as it was held then
    size_t given_ = 0;           // samples read since the key went down
};

class Player : public platform::input::Watcher {
public:
    using Report = std::function<void(const QString&)>;
    // `report` is told what ends a replay early; by default standard error hears it.
    Player(Context& c, platform::VirtualClock& clock, const QString& lessonPath, Report report = {});
    ~Player() override;

    // Reads the first line and puts the first action on the clock; false (reported) when the
    // file is no lesson this program plays.
    bool start();
    // Draws the picture of each call the own radio sends where the lesson has none (NAME-N.png).
    void redrawMissingPictures();
    // Runs the clock until the replay has finished (no wall clock: as fast as it goes).
    void playToEnd();

    bool finished() const { return finished_; }
    // Why the replay ended early, empty when it played to the end.
    const QString& error() const { return error_; }
    // The tick of the lesson's end line, or of its last line.
    qint64 lastTick() const { return lastTick_; }
    const Header& header() const { return reader_.header(); }
    // Told once, when the replay has finished (or stopped at a damaged line).
    std::function<void()> onFinished;
    // Ends the replay here, as a damaged line does (the radio switched off in the replay, say).
    void stop(const QString& why = {});

    bool before(QObject* receiver, QEvent* e, bool fromUser) override;

private:
    void scheduleNext();
    void play(const Entry& e);
    QString perform(const Entry& e);

    Context& c;
    platform::VirtualClock& clock_;
    Reader reader_;
    Report report_;
    bool started_ = false;
    bool finished_ = false;
    QString error_;
    qint64 lastTick_ = 0;
    std::shared_ptr<Player*> self_;
    std::unique_ptr<FileWriter> pictures_;
    int sent_ = 0;
};

// Keeps a virtual clock level with the wall clock at `speed` times its pace (0: as fast as it
// goes), and lets the window system's events run meanwhile (paints, the window's close button).
class Pacer {
public:
    Pacer(platform::VirtualClock& clock, double speed);
    ~Pacer();
    void setSpeed(double speed);
    double speed() const { return speed_; }

private:
    void pace(qint64 tick);

    platform::VirtualClock& clock_;
    double speed_;
    QElapsedTimer wall_;
    qint64 baseWallNs_ = 0;
    qint64 baseTick_ = 0;
    QElapsedTimer sinceEvents_;
};

// The message box of a replay: the same box as the program's, run on the replay's clock instead
// of a modal loop of its own, so that the recorded click on its OK button can come at its tick.
class ReplayMessageBox : public platform::MessageBox {
public:
    explicit ReplayMessageBox(platform::Clock& clock) : clock_(clock) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    void show(const QString& text) override;
    bool ask(const QString& question) override;

private:
    bool run(const QString& text, bool question);
    platform::Clock& clock_;
    QWidget* parent_ = nullptr;
};

} // namespace lessons
