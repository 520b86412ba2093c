#pragma once
// A mock exam running on the trainer. First a time to get to know the radio (free use, as long as
// the profile gives, or until the candidate starts the exam); then the cards one after another in
// the exam window (frmExam): each sets the radio up as the card says and runs until the candidate
// says it is done or the exam's time runs out. No hints and no verdicts are shown while it runs,
// and exercises, lessons and replays are closed to the candidate. Each attempt is marked at its end
// from what the lesson recorded (exam/Mark.h); a failed attempt is given again while the card has
// attempts left. At the end the result record is written beside the lesson
// (<lesson>.exam.json) and the window says the result.
#include "exam/Draw.h"
#include "exam/Profile.h"
#include "exam/Record.h"

#include <QJsonObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

struct Context;
namespace screens {
class ExamWindow;
}

class ExamRun {
public:
    enum class Phase { Idle, Familiarisation, Card, Over };

    // `window` is the exam window it shows and drives (it outlives the run).
    ExamRun(Context& c, screens::ExamWindow& window);
    ~ExamRun();

    // Starts the exam drawn as `plan` from `profile` for `candidate`; returns what stops it ("" when
    // it runs): an exam already running, no lesson being recorded, a card the radio cannot be set to.
    QString start(const exam::Profile& profile, const exam::Plan& plan, const QString& candidate);
    // Ends the familiarisation and gives the first card (the candidate's "Start the exam").
    void beginCards();
    // The candidate is done with the card on show: the attempt is marked and the next card (or
    // the same card's next attempt) is given.
    void cardDone();
    // Ends a running exam before its time, for `why` ("the trainer was closed"): the card on show
    // fails for it, the cards not given are named as such, and the record is written. Closing the
    // trainer during an exam does this.
    void stop(const QString& why);

    Phase phase() const { return phase_; }
    bool running() const { return phase_ == Phase::Familiarisation || phase_ == Phase::Card; }
    // The card on show and its attempt (from 1); -1 and 0 outside the cards.
    int cardIndex() const { return card_; }
    int attempt() const { return attempt_; }
    const exam::Plan& plan() const { return plan_; }
    // The record so far (cards marked up to now), and where it was written once the exam is over.
    const exam::Record& record() const { return record_; }
    const QString& recordPath() const { return recordPath_; }

    // Where the exam stands, for a class's instructor:
    // {"profile","seed","phase":"familiarisation"|"card"|"over","card":N (from 1),"cards":M,
    //  "kind","attempt","seconds" (used in the exam so far),"left" (seconds left, absent without a
    //  limit),"result" (once over)}.
    QJsonObject progress() const;

    // Told after every change of phase, card or attempt.
    std::function<void()> changed;
    // Told each card as it is given (its attempt from 1), after the radio was set up for it: the
    // model stations' part of a card (a distress alert to receive, a message to copy) starts here.
    std::vector<std::function<void(const exam::DrawnCard&, int attempt)>> cardGiven;
    // Where the Sheet key writes the examiner's sheet; an empty answer writes none. A file dialog,
    // unless replaced (the tests do).
    std::function<QString()> askSheetPath;
    // Told once the record is written, with its path.
    std::function<void(const QString& recordPath)> finished;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    Context& c;
    screens::ExamWindow& window_;
    Phase phase_ = Phase::Idle;
    exam::Profile profile_;
    exam::Plan plan_;
    exam::Record record_;
    int card_ = -1;
    int attempt_ = 0;
    QString recordPath_;

    void giveCard();
    void endAttempt(bool timedOut, const QString& stoppedBy = {});
    void finish(const QString& stoppedBy = {});
    void tick();
};
