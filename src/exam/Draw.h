#pragma once
// Drawing an exam: from a profile, the card bank and a seed, the cards the candidate gets. The same
// seed draws the same exam on every machine (exam/Random.h). Each section draws its number of
// kinds from its list, none that an earlier section drew, and one card of each kind; no card
// comes twice.
#include "exam/Card.h"
#include "exam/Profile.h"

#include <QList>
#include <QString>

#include <cstdint>

namespace exam {

struct DrawnCard {
    int number = 0;      // from 1, in the order drawn
    Card card;
    Filled filled;
    QString section;
    bool mandatory = false;
    int attempts = 1;
};

struct Plan {
    QString profile, profileTitle;
    std::uint64_t seed = 0;
    QList<DrawnCard> cards;
};

// The exam, or why it cannot be drawn (a kind the bank has no card of).
dscwire::Result<Plan> drawExam(const Profile& profile, const QList<Card>& bank, std::uint64_t seed);
// The plan in lines: "Exam src (SRC practical, scenario cards), seed 123456", then each card
// "1. distress: <the filled card text>".
QStringList planLines(const Plan& plan);
// The drawn card as an exercise for the exam's runner.
dscwire::Result<lessons::Exercise> exerciseOf(const DrawnCard& drawn);

} // namespace exam
