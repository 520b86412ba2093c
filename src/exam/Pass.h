#pragma once
// The pass rule of an exam applied to its record. A card passes when its last attempt passed, or
// when an override of the examiner's says so: the last override of a card decides it. A card with a review
// flag and no override is undecided: the result is "review" where the card could turn it, and
// stands where it could not.
//   {"mandatory": "all", "others": N}: every mandatory card passed and at least N others;
//   {"percent": P}: in each section at least P % of its cards passed.
#include "exam/Record.h"

#include <QString>
#include <vector>

namespace exam {

enum class CardVerdict { Passed, Failed, Review };

struct SectionTotal {
    QString name;
    int cards = 0, passed = 0, review = 0;
};

struct PassOutcome {
    std::vector<CardVerdict> cards; // one a card of the record, in its order
    std::vector<SectionTotal> sections; // in the order the cards name them
    int mandatory = 0, mandatoryPassed = 0, mandatoryReview = 0;
    int others = 0, othersPassed = 0, othersReview = 0;
    QString rule;   // the rule in words, e.g. "every mandatory card (4) and at least 2 of the 3 others"
    QString result; // "passed", "failed" or "review"
    QString fault;  // what is wrong with the rule (it is then "review"), or empty
};

CardVerdict cardVerdict(const Record& record, size_t card);
PassOutcome judge(const Record& record);

} // namespace exam
