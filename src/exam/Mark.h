#pragma once
// Marking one attempt at an exam card from what the lesson recorded while it ran: the DSC messages
// on the air, the spoken transmissions with their words and verdicts, the radio log's entries.
// Each of the card's tasks is a criterion, met or not, with its evidence in words ("DSC distress
// alert sent, nature Fire, position 42°21.3'N 070°48.9'W entered by hand at 14:12"); the card's
// critical errors that happened fail the attempt, each with its reason; minor slips are noted and
// fail nothing. A spoken part the recogniser was unsure of fails nothing either: the attempt goes
// to the examiner for review, with the sound of that transmission.
#include "exam/Draw.h"
#include "exam/Record.h"
#include "lessons/Lesson.h"

#include <QString>
#include <vector>

namespace exam {

// The attempt's bounds on the trainer clock, and how it ended.
struct AttemptSpan {
    int number = 1;          // 1 for the first attempt at the card
    qint64 startMs = 0;      // the tick the card was given
    qint64 endMs = 0;        // the tick the candidate said it was done, or the time ran out
    bool timedOut = false;   // the exam's time ran out during it
};

// The attempt marked from the lesson's lines (all of them: those outside the span are not looked
// at). The lines are replayed into the checker of the card's exercise (lessons/Checker.h); each task
// is a mark. Dictation, spelling, figures and priority cards add one mark each: the message copied
// into the log (identity, position, nature and persons right), the name and call sign spelled, the
// MMSI and position read out, the tasks answered in the card's order. The card's critical errors are
// each found by one rule (exam/MarkRules.cpp); silence-broken: a card that lists it starts under
// imposed silence, which another station's SEELONCE FEENEE lifts, or, where the attempt holds none,
// the candidate's answer to the card's first task: any own transmission before that, DSC or voice,
// that is not distress traffic breaks it. Minor slips: calling words not said three times, OVER and
// OUT confused, 25 W for a routine call, no radio log entry for distress, urgency or safety traffic
// received or dictated. What waits for review (an element not heard clearly, a transmission not
// understood, letters or figures not found in what was understood) fails nothing: the attempt passes
// when every other mark is met and no critical error happened, and the card goes to review
// (exam/Pass.h). Review flags name the sound beside the lesson (lessons::voicePath's file name) of each
// transmission with an unclear element. `lessonPath` may be empty: then no sounds are named.
Attempt markAttempt(const DrawnCard& card, const std::vector<lessons::Entry>& entries, const AttemptSpan& span,
                    const QString& lessonPath);

// Every line of a lesson after its first, as far as it can be read.
std::vector<lessons::Entry> readEntries(const QString& lessonPath);

} // namespace exam
