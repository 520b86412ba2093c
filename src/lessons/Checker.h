#pragma once
// The verdicts of one exercise as the trainee works it: each DSC message on the air and each change
// of the own MMSI is matched to a task, which is then done, or wrong with the reason in words. It
// knows no window and no clock: the caller gives it the trainer clock's tick with every event.
//
// A message counts when the own radio sends it (for the kinds it sends) or receives it (for the
// answers). It answers the first open task of its kind; a call of a kind no task asks for answers
// the current task (the first open one that is not spoken) as wrong. A call like one already
// answered, or an answer no task waits for, says nothing: the radio repeats its distress alert by
// itself, and the model stations answer calls of their own accord.
//
// Spoken transmissions of the own radio answer the voice tasks the same way, by their procedure:
// the first open task of that procedure; one of a procedure no task asks for answers the first open
// voice task as wrong; one like a procedure already answered, or one in which no procedure was
// understood (a key pressed by mistake), says nothing. A transmission whose elements that count were
// not all heard clearly neither passes nor fails its task: the task stays open and tells the trainee
// to say it again; a later transmission of that procedure decides it.
#include "lessons/Exercise.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <vector>

namespace air {
struct Transmission;
struct VoiceTransmission;
} // namespace air

namespace lessons {

enum class TaskState { Open, Done, Wrong };

struct Verdict {
    TaskState state = TaskState::Open;
    QString reason;  // for a wrong answer: what was wrong, e.g. "nature: Flooding, expected Fire"
    qint64 ms = -1;  // when it was answered, from the start of the exercise
    QString sayAgain; // an open voice task last heard unclearly: "Not heard clearly: say again your position"
};

class Checker {
public:
    Checker(Exercise exercise, qint64 startMs);

    // A message on the air at tick `nowMs`; returns the task it answered, or -1.
    int message(const air::Transmission& t, qint64 nowMs);
    // A spoken transmission on the air at tick `nowMs`; returns the task it answered, or -1.
    int voice(const air::VoiceTransmission& t, qint64 nowMs);
    // The own MMSI became `mmsi` at tick `nowMs`; returns the task it answered, or -1.
    int ownMmsi(const QString& mmsi, qint64 nowMs);
    // Ends the exercise; the tasks still open stay unanswered.
    void stop() { stopped_ = true; }

    // Every task answered, or stopped.
    bool finished() const;
    int done() const;
    int answered() const;
    const Exercise& exercise() const { return exercise_; }
    const std::vector<Verdict>& verdicts() const { return verdicts_; }
    // A task's result in words: "open", "done", "wrong: <reason>", or "not answered" once finished;
    // an open voice task heard unclearly tells what to say again.
    QString resultText(int task) const;
    // "Score: 3 of 4" once finished, else how far the trainee has come.
    QString scoreText() const;

private:
    int firstOpen(std::optional<Kind> kind = std::nullopt) const;
    int firstOpenWhere(const std::function<bool(const Task&)>& wanted) const;
    void answer(int task, QStringList reasons, qint64 nowMs);

    Exercise exercise_;
    qint64 startMs_;
    std::vector<Verdict> verdicts_;
    bool stopped_ = false;
};

} // namespace lessons
