#pragma once
// An exercise running on the trainer: loading a file sets the radio up as its start asks (through
// the handlers a trainee's own keys run), then every message and spoken transmission on the air and
// every change of the own MMSI goes to the checker until the last task is answered or the exercise
// is stopped.
#include "lessons/Checker.h"

#include <QJsonObject>
#include <QString>
#include <functional>
#include <memory>

struct Context;

namespace lessons {

class ExerciseRun {
public:
    // Listens to the air and the own MMSI from now on. Make it once the air exists.
    explicit ExerciseRun(Context& ctx);
    ~ExerciseRun();

    // Loads the file, sets the radio up and starts the exercise; returns what is wrong ("" when it
    // runs). A file that cannot be read or used leaves the radio and a running exercise as they are.
    QString open(const QString& path);
    // Ends the running exercise; its verdicts stay to be read.
    void stop();
    // The running or last exercise's checker; null before the first.
    const Checker* checker() const { return checker_.get(); }

    // Told after every change: a start, a verdict, a stop.
    std::function<void()> changed;

    // The exercise's results so far, as the lesson keeps them and a class hears them:
    // {"exercise", "score", "finished", "tasks": [{"task", "verdict", "reason", "seconds"}]}; a voice
    // task waiting to be said again is {"verdict": "say again", "reason": "Not heard clearly: ..."}.
    QJsonObject summary() const;

    // Sets the radio up as the exercise's start asks, through the handlers the trainee's keys run,
    // and checks nothing; returns what is wrong ("" when it is set). An exam sets up its cards so.
    QString applyStart(const Exercise& x);

private:
    bool tuneTo(const QString& designator);
    void notify();
    void reportNewVerdicts();

    Context& c;
    std::unique_ptr<Checker> checker_;
    std::vector<TaskState> reported_;  // the verdicts already told to the lesson and the class
    std::vector<QString> reportedSayAgain_; // and the say-again of each open voice task
    bool reportedEnd_ = false;
};

} // namespace lessons
