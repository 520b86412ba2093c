#pragma once
// Inside the marking of an attempt (exam/Mark.h): the lesson's lines of the attempt replayed into the
// card's checker, kept as the events the rules read (who sent what, when, on which channel), with the
// task each one answered. The rules of the critical errors, the minor slips and the marks beyond the
// card's tasks (a copied message, spelled letters, figures, the order of priority) work on it.
#include "air/Voice.h"
#include "dscwire/Message.h"
#include "exam/Draw.h"
#include "exam/Mark.h"
#include "lessons/Checker.h"
#include "lessons/RadioLog.h"

#include <optional>
#include <vector>

namespace exam::marking {

struct Event {
    qint64 ms = 0;     // from the start of the attempt
    QString time;      // the trainer's local time as the lesson wrote it, "14:12:05"
    bool own = false;  // the own radio sent it
    bool received = false;
    std::optional<dscwire::Message> message; // a DSC call (decoded from its symbols)
    std::optional<air::VoiceTransmission> voice;
    int task = -1;     // the task it answered (or, for a spoken one heard unclearly, held open)
};

struct Replay {
    lessons::Exercise exercise;
    std::vector<Event> events;              // in the order they went on the air
    std::vector<lessons::LogEntry> log;     // the radio log's entries, in order
    std::vector<lessons::Verdict> verdicts; // the checker's, one a task
    std::vector<int> answeredBy;            // per task: the event that decided it (or held it), -1: none
    QString lessonPath;
    QString ownName, ownMmsi;               // as the own radio's transmissions give them

    bool gpsOff() const { return exercise.start.gps.has_value() && !*exercise.start.gps; }
    // The file name of a spoken transmission's sound beside the lesson; empty without a lesson.
    QString sound(const Event& e) const;
};

// Replays the attempt's lines (those in the span) into a checker of the card's exercise.
Replay replay(const lessons::Exercise& exercise, const std::vector<lessons::Entry>& entries, const AttemptSpan& span,
              const QString& lessonPath);

// In words, for evidence: "DSC distress alert sent at 14:12:05, nature Fire, position 42°21'N
// 070°48'W entered by hand, time 14:12"; "MAYDAY said on 16 at 14:13:10".
QString eventWords(const Event& e, bool gpsOff);
QString briefWords(const Event& e); // without the call's fields
// "MAYDAY", "PAN PAN", "Routine call", ... for a procedure's name.
QString procedureWords(const QString& procedure);
// The category a procedure or a task's kind belongs to: "distress", "urgency", "safety", "routine".
QString categoryOf(const QString& procedure);
QString categoryOf(lessons::Kind kind);
// Whether a spoken transmission is of that procedure, said on that channel ("" for any).
bool spokenAs(const Event& e, const QString& procedure, const QString& channel);
// An own spoken transmission on `channel` in which the recogniser understood no procedure.
bool notUnderstood(const Event& e, const QString& channel);

// Appends the card's critical errors that happened, each with its reason, and the review flags of
// spoken parts that may have been what the rule asks for but were not understood.
void criticalErrors(const DrawnCard& card, const Replay& r, const AttemptSpan& span, Attempt& a);
// Appends the minor slips.
void minorSlips(const DrawnCard& card, const Replay& r, Attempt& a);
// Appends the marks beyond the card's tasks that its kind asks for (dictation, spelling, figures,
// priority); `held` tells, per mark, whether it waits for the examiner's review.
void kindMarks(const DrawnCard& card, const Replay& r, Attempt& a, std::vector<bool>& held);

} // namespace exam::marking
