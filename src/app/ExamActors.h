#pragma once
// The model stations' part of an exam card, played as the card is given (ExamRun::cardGiven):
// on a "distress-received" card The Blue Crane sends her distress alert by herself, as if her
// panel's distress key were worked (the nature of the card's {nature}, else Fire; her position), so
// that the candidate's radio sounds the alarm; on a "dictation" card Boston Coast Guard reads the
// card's message out on channel 16 in its voice, in the spoken style (voice/SpokenStyle.h), for the
// candidate to copy. Every attempt at a card starts alike. Other cards have no part for them.
struct Context;
namespace exam {
struct DrawnCard;
}

void actOnExamCard(Context& c, const exam::DrawnCard& card, int attempt);
